#include "store/store_add_view.h"

#include "app/orvix_msg_dlg.h"
#include "app/orvix_win_app.h"
#include "app/ui_text.h"
#include "net/orvi_http.h"
#include "net/reply_notice.h"
#include "net/reply_text.h"
#include "platform/environment.h"
#include "platform/ui_services.h"
#include "store/store_photo_copies.h"
#include "store/web_map_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvix {

namespace {

struct Labelled {
    int id;
    UiRow row;
};

// The controls that show a label of the text table, and their rows.
constexpr Labelled kLabels[] = {
    {CStoreAddView::StoreNameLabel, UiRow::StoreName},
    {CStoreAddView::PhoneLabel, UiRow::PhoneNumber},
    {CStoreAddView::TitleLabel, UiRow::OneLineTitle},
    {CStoreAddView::KindLabel, UiRow::StoreKind},
    {CStoreAddView::OwnerLabel, UiRow::OwnerName},
    {CStoreAddView::SeekButton, UiRow::Seek},
    {CStoreAddView::StorePhotoButton, UiRow::StorePhoto},
    {CStoreAddView::ViewPhotoButton, UiRow::ViewPhoto},
    {CStoreAddView::InformationButton, UiRow::Information},
    {CStoreAddView::SaveButton, UiRow::Save},
};

QString labelFace() {
    const QString face = COrvixWinApp::current().session().fontTable.value(StoreTextColumn);
    return face.isEmpty() ? QStringLiteral("돋움체") : face;
}

} // namespace

DialogTemplate CStoreAddView::dialogTemplate() {
    DialogTemplate form;
    form.resourceId = ResourceId;
    form.size = QSize(334, 209);
    form.fontFace = QStringLiteral("굴림체");
    form.pointSize = 9;
    using K = ControlKind;
    form.controls = {
        {StoreNameLabel, K::Static, QRect(17, 29, 72, 8), {}},
        {StoreNameEdit, K::Edit, QRect(92, 26, 128, 14), {}},
        {PhoneLabel, K::Static, QRect(17, 46, 70, 8), {}},
        {PhoneEdit, K::Edit, QRect(93, 44, 128, 14), {}},
        {SeekButton, K::Button, QRect(232, 44, 50, 14), {}},
        {TitleLabel, K::Static, QRect(17, 68, 67, 8), {}},
        {TitleEdit, K::Edit, QRect(93, 66, 227, 14), {}},
        {KindLabel, K::Static, QRect(17, 86, 66, 8), {}},
        {KindEdit, K::Edit, QRect(92, 84, 128, 14), {}},
        {OwnerLabel, K::Static, QRect(17, 102, 63, 8), {}},
        {OwnerEdit, K::Edit, QRect(93, 101, 128, 14), {}},
        {StorePhotoButton, K::Button, QRect(19, 122, 50, 14), {}},
        {ViewPhotoButton, K::Button, QRect(94, 122, 50, 14), {}},
        {InformationButton, K::Button, QRect(161, 122, 50, 14), {}},
        {SaveButton, K::Button, QRect(108, 147, 50, 14), {}},
    };
    return form;
}

CStoreAddView::CStoreAddView(QWidget* parent)
    : QWidget(parent) {
    buildControls(this, dialogTemplate());
    connect(findControl<QPushButton>(this, StorePhotoButton), &QPushButton::clicked, this,
            &CStoreAddView::OnStorePhoto);
    connect(findControl<QPushButton>(this, InformationButton), &QPushButton::clicked, this,
            &CStoreAddView::OnInformation);
    connect(findControl<QPushButton>(this, SaveButton), &QPushButton::clicked, this,
            &CStoreAddView::OnSave);
    // Seek and View photo do nothing.
}

void CStoreAddView::OnInitialUpdate() {
    m_labelFont = QFont(labelFace());
    m_labelFont.setPixelSize(16);
    m_labelFont.setWeight(QFont::Normal);
    for (const Labelled& label : kLabels) {
        QWidget* control = findControl<QWidget>(this, label.id);
        if (!control)
            continue;
        control->setProperty("text", uiText(label.row, StoreTextColumn));
        control->setFont(m_labelFont);
        // A label box of 8 dialog units is lower than the 16-pixel font: it grows about its
        // middle, so the text stays on the line of its edit and is not cut off.
        if (qobject_cast<QLabel*>(control)) {
            const QRect box = control->geometry();
            const int needed = QFontMetrics(m_labelFont).height();
            if (needed > box.height())
                control->setGeometry(box.x(), box.center().y() - needed / 2, box.width(), needed);
        }
    }
    findControl<QWidget>(this, ViewPhotoButton)->hide();
}

void CStoreAddView::notice(const QString& text) {
    COrvixMsgDlg dialog(this);
    dialog.SetMessage(COrvixMsgDlg::OnlyOk, text);
    COrvixWinApp::current().ui().runModal(dialog);
}

void CStoreAddView::OnStorePhoto() {
    FileOpenRequest request{StoreForm::PhotoFilter, StoreForm::PhotoInitialName, false};
    const QStringList files = COrvixWinApp::current().ui().chooseFiles(this, request);
    if (files.isEmpty())
        return;
    if (!m_form.setStorePhoto(files.first())) {
        notice(uiText(UiRow::PhotoFormats, StoreTextColumn));
        return;
    }
    findControl<QWidget>(this, ViewPhotoButton)->show();
}

void CStoreAddView::OnInformation() {
    FileOpenRequest request{StoreForm::PhotoFilter, StoreForm::PhotoInitialName, true};
    const QStringList files = COrvixWinApp::current().ui().chooseFiles(this, request);
    if (files.isEmpty())
        return;
    if (!m_form.setInfoPhotos(files))
        notice(StoreForm::tooManyPhotosMessage(StoreTextColumn));
}

void CStoreAddView::takeValues() {
    m_form.storeName = findControl<QLineEdit>(this, StoreNameEdit)->text();
    m_form.phone = findControl<QLineEdit>(this, PhoneEdit)->text();
    m_form.title = findControl<QLineEdit>(this, TitleEdit)->text();
    m_form.kind = findControl<QLineEdit>(this, KindEdit)->text();
    m_form.owner = findControl<QLineEdit>(this, OwnerEdit)->text();
}

void CStoreAddView::showValues() {
    findControl<QLineEdit>(this, StoreNameEdit)->setText(m_form.storeName);
    findControl<QLineEdit>(this, PhoneEdit)->setText(m_form.phone);
    findControl<QLineEdit>(this, TitleEdit)->setText(m_form.title);
    findControl<QLineEdit>(this, KindEdit)->setText(m_form.kind);
    findControl<QLineEdit>(this, OwnerEdit)->setText(m_form.owner);
}

void CStoreAddView::OnSave() {
    if (m_waiting)
        return;
    takeValues();
    if (const auto missing = m_form.firstMissing()) {
        notice(uiText(*missing, StoreTextColumn));
        return;
    }
    COrvixWinApp& app = COrvixWinApp::current();
    m_registrationKey = QString::number(
        static_cast<qint32>(app.environment().currentDateTime().toSecsSinceEpoch()));
    const SessionRecord& session = app.session();
    COrviHttp* request = app.sendRequest(
        StoreForm::Script, m_form.requestBody(session.deviceId, m_registrationKey), this);
    m_waiting = true;
    findControl<QWidget>(this, SaveButton)->hide();
    // A request releases itself after its reply, or without one when the server never
    // answers: then the form must not wait for good (the window is only ever hidden).
    connect(request, &QObject::destroyed, this, [this] {
        if (m_waiting)
            OnReply(QString());
    });
}

int CStoreAddView::onMessage(int message, WParam wParam, LParam lParam) {
    const auto reply = ReplyNotice::from(message, wParam, lParam);
    if (!reply)
        return 0;
    OnReply(reply->text());
    return 1;
}

void CStoreAddView::OnReply(const QString& text) {
    if (!m_waiting)
        return;
    m_waiting = false;
    const auto storeIndex = StoreForm::storeIndexOf(text);
    if (!storeIndex) {
        // Refused: nothing is copied or opened, and what the member typed stays.
        findControl<QWidget>(this, SaveButton)->show();
        emit registrationAnswered(0);
        notice(StoreForm::RefusedMessage);
        return;
    }
    COrvixWinApp& app = COrvixWinApp::current();
    const QString& work = app.session().workFolder;
    const int memberNumber = leadingNumber(app.session().memberNumber);
    StorePhotoCopies::make(work, memberNumber,
                           StorePhotoCopies::plan(work, *storeIndex, memberNumber,
                                                  m_registrationKey, m_form.storePhotoPath(),
                                                  m_form.infoPhotos()));
    emit registrationAnswered(*storeIndex);
    {
        CWebMapView map(QString::number(*storeIndex), this);
        app.ui().runModal(map);
    }
    m_registrationKey.clear();
    m_form.clear();
    showValues();
    findControl<QWidget>(this, ViewPhotoButton)->hide();
    findControl<QWidget>(this, SaveButton)->show();
}

} // namespace orvix
