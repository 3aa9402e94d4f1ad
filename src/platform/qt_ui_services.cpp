#include "platform/qt_ui_services.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QUrl>

namespace orvix {

int QtUiServices::messageBox(QWidget* parent, const QString& title, const QString& text,
                             MessageBoxButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
    switch (buttons) {
    case MessageBoxButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageBoxButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageBoxButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return DialogResult::Ok;
    case QMessageBox::Yes:
        return DialogResult::Yes;
    case QMessageBox::No:
        return DialogResult::No;
    default:
        return DialogResult::Cancel;
    }
}

QStringList QtUiServices::chooseFiles(QWidget* parent, const FileOpenRequest& request) {
    QFileDialog dialog(parent);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilter(toQtFileFilter(request.filter));
    if (!request.initialName.isEmpty() && !request.initialName.contains(QLatin1Char('*')))
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

std::optional<QColor> QtUiServices::chooseColor(QWidget* parent, const QColor& initial) {
    const QColor colour = QColorDialog::getColor(initial, parent);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

std::optional<QFont> QtUiServices::chooseFont(QWidget* parent, const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return font;
}

bool QtUiServices::openInDesktopBrowser(const QUrl& address) {
    return QDesktopServices::openUrl(address);
}

int QtUiServices::runModal(QDialog& dialog) {
    return dialog.exec();
}

} // namespace orvix
