#pragma once

#include "platform/template_dialog.h"

#include <QRect>
#include <QString>

class QPlainTextEdit;

namespace orvix {

class CChatView;

// The input panel under the conversation: a multi-line box (Enter makes a line break), "전송(F9)"
// (or F9) sends the typed text, "사진" picks a photo and sends it. It floats under its pane as a
// window of its own, without caption; Enter and Escape never close it.
class CChatToolDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 142;
    static constexpr int EditId = 1000;
    static constexpr int SendId = 1001;
    static constexpr int PhotoId = 1002;
    // The box in dialog units; it ends at least this many pixels above the panel's bottom.
    static constexpr QRect EditRect{4, 20, 343, 57};
    static constexpr QRect PhotoRect{245, 4, 43, 14};
    static constexpr QRect SendRect{295, 4, 43, 14};
    static constexpr int EditBottomMargin = 6;
    static inline const QString PhotoFilter =
        QStringLiteral("JPG(*.JPG)|*.JPG|PNG(*.PNG)|*.PNG|GIF(*.GIF)|*.GIF|ALL Files(*.*)|*.*||");

    static DialogTemplate dialogTemplate();

    explicit CChatToolDlg(CChatView* chatView);

    // Hands the typed text (line breaks as CR LF) to the conversation and clears the box.
    void SendText();
    // Lets the member choose a photo and sends it.
    void PickPhoto();
    // Copies, shrinks and thumbnails a chosen photo and sends it; nothing when it is no picture.
    bool PreparePhoto(const QString& path, const QString& name);

    QPlainTextEdit* edit() const { return m_edit; }

protected:
    void onOk() override {}
    void onCancel() override {}
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    CChatView* m_chatView;
    QPlainTextEdit* m_edit;
};

} // namespace orvix
