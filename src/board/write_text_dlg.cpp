#include "board/write_text_dlg.h"

#include "app/orvix_win_app.h"
#include "app/web_dialog.h"
#include "board/board_texts.h"
#include "net/orvi_http.h"
#include "net/orvi_upload.h"
#include "net/reply_notice.h"
#include "net/upload_notice.h"
#include "platform/environment.h"
#include "platform/resources.h"
#include "platform/ui_services.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>

#include <memory>

namespace orvix {

namespace {

const QStringList kAlignments{QStringLiteral("좌측정렬"), QStringLiteral("중앙정렬"),
                              QStringLiteral("우측정렬")};

// A button that shows only its picture, at the picture's size.
void makePictureButton(QPushButton* button, int bitmap) {
    const QImage picture = res::bitmap(bitmap);
    button->setText(QString());
    button->setIcon(QIcon(QPixmap::fromImage(picture)));
    button->setIconSize(picture.size());
    button->setFixedSize(picture.size());
    button->setFlat(true);
    button->setStyleSheet(QStringLiteral("QPushButton{border:none;padding:0}"));
}

} // namespace

DialogTemplate CWriteTextDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("의견쓰기");
    dialog.size = QSize(300, 150);
    dialog.fontFace = QStringLiteral("굴림체");
    dialog.pointSize = 9;
    dialog.controls = {
        {TextBox,
         ControlKind::Edit,
         QRect(7, 7, 286, 100),
         {},
         ControlStyle::MultiLine | ControlStyle::VScroll},
        {BackgroundButton, ControlKind::Button, QRect(7, 116, 27, 27), {}},
        {TextColourButton, ControlKind::Button, QRect(38, 116, 27, 27), {}},
        {BoldBox, ControlKind::CheckBox, QRect(70, 116, 34, 11), QStringLiteral("굵게")},
        {ItalicBox, ControlKind::CheckBox, QRect(70, 130, 40, 11), QStringLiteral("기울임")},
        {SizeBox, ControlKind::ComboBox, QRect(112, 122, 34, 14), {}, ControlStyle::Editable},
        {AlignmentBox, ControlKind::ComboBox, QRect(150, 122, 54, 14), {}, ControlStyle::Editable},
        {PreviewButton, ControlKind::Button, QRect(208, 122, 46, 14), QStringLiteral("미리보기")},
        {SaveButton, ControlKind::Button, QRect(266, 116, 27, 27), {}},
    };
    return dialog;
}

CWriteTextDlg::CWriteTextDlg(const QString& mailIndex, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent)
    , m_mailIndex(mailIndex)
    , m_text(control<QPlainTextEdit>(TextBox))
    , m_size(control<QComboBox>(SizeBox))
    , m_alignment(control<QComboBox>(AlignmentBox)) {
    setWindowTitle(dialogTemplate().caption);
    COrvixWinApp& app = COrvixWinApp::current();
    m_name =
        OpinionChain::fileName(app.session().memberNumber, app.environment().currentTimeSeconds());

    makePictureButton(control<QPushButton>(BackgroundButton), 177);
    makePictureButton(control<QPushButton>(TextColourButton), 178);
    makePictureButton(control<QPushButton>(SaveButton), 187);
    connect(control<QPushButton>(BackgroundButton), &QPushButton::clicked, this,
            [this] { chooseColour(true); });
    connect(control<QPushButton>(TextColourButton), &QPushButton::clicked, this,
            [this] { chooseColour(false); });
    connect(control<QPushButton>(SaveButton), &QPushButton::clicked, this, [this] { Save(); });
    connect(control<QPushButton>(PreviewButton), &QPushButton::clicked, this,
            [this] { Preview(); });

    // Only an entry chosen from a list counts; typed text selects none.
    for (int size = 8; size <= 32; ++size)
        m_size->addItem(QString::number(size));
    m_size->setCurrentIndex(8);
    m_alignment->addItems(kAlignments);
    m_alignment->setCurrentIndex(0);
    for (auto [box, typed] :
         {std::pair{m_size, &m_sizeTyped}, std::pair{m_alignment, &m_alignmentTyped}}) {
        box->setInsertPolicy(QComboBox::NoInsert);
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [typed] { *typed = true; });
        connect(box, &QComboBox::activated, this, [typed] { *typed = false; });
    }
    paintTextBox();
}

CWriteTextDlg::~CWriteTextDlg() = default;

OpinionText::Style CWriteTextDlg::style() const {
    OpinionText::Style style;
    style.background = m_background;
    style.text = m_textColour;
    style.bold = control<QCheckBox>(BoldBox)->isChecked();
    style.italic = control<QCheckBox>(ItalicBox)->isChecked();
    style.sizePosition = m_sizeTyped ? -1 : m_size->currentIndex();
    style.alignPosition = m_alignmentTyped ? -1 : m_alignment->currentIndex();
    return style;
}

QString CWriteTextDlg::text() const {
    QString text = m_text->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

void CWriteTextDlg::chooseColour(bool background) {
    const auto colour = COrvixWinApp::current().ui().chooseColor(this, Qt::black);
    if (!colour)
        return;
    (background ? m_background : m_textColour) = *colour;
    paintTextBox();
}

void CWriteTextDlg::paintTextBox() {
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, m_background);
    palette.setColor(QPalette::Text, m_textColour);
    m_text->setPalette(palette);
    m_text->viewport()->update();
}

QByteArray CWriteTextDlg::previewPage(const QString& paragraph, const QByteArray& charset,
                                      const std::function<QByteArray(const QString&)>& narrow) {
    const QString page =
        QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n"
                       "<HTML><HEAD><TITLE> 미리보기 </TITLE>\n"
                       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=%1\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "</HEAD><BODY>\n%2</BODY></HTML>\n")
            .arg(QString::fromLatin1(charset), paragraph);
    QByteArray bytes = narrow(page);
    bytes.replace("\n", "\r\n");
    return bytes;
}

bool CWriteTextDlg::Preview() {
    COrvixWinApp& app = COrvixWinApp::current();
    // The page is in the system's code page; it declares the one its bytes are in.
    const QString probe = QStringLiteral("미리보기");
    const QByteArray charset = app.toNarrow(probe) == probe.toUtf8() ? QByteArrayLiteral("utf-8")
                                                                     : QByteArrayLiteral("euc-kr");
    const QByteArray page = previewPage(OpinionText::previewParagraph(text(), style()), charset,
                                        [&app](const QString& text) { return app.toNarrow(text); });
    QSaveFile file(CWebDialog::previewPath(app.session().workFolder));
    if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size() || !file.commit())
        return false;
    CWebDialog preview(this);
    app.ui().runModal(preview);
    return true;
}

bool CWriteTextDlg::busy() const {
    return m_upload || m_request;
}

void CWriteTextDlg::Save() {
    if (busy())
        return;
    COrvixWinApp& app = COrvixWinApp::current();
    const QString typed = text();
    const OpinionText::Style chosen = style();
    m_html = OpinionText::paragraph(typed, chosen);
    // When the ".tml" cannot be written the upload still starts and fails on the missing file.
    OpinionText::writeFiles(app.session().workFolder, m_name, typed, chosen);
    m_folder = OpinionChain::mailboxFolder(app.session().memberNumber);
    m_chain.start();
    startUpload(QStringLiteral(".tml"));
}

void CWriteTextDlg::startUpload(const QString& extension) {
    COrvixWinApp& app = COrvixWinApp::current();
    const QString workFolder = app.session().workFolder;
    COrviUpload* upload =
        app.startUpload(m_folder, m_name + extension, workFolder + u'/' + m_name + extension, this);
    auto finished = std::make_shared<bool>(false);
    m_upload = upload;
    m_uploadFinished = finished;
    // An upload that goes without its finish notice did not reach the server.
    connect(upload, &QObject::destroyed, this, [this, finished] {
        if (*finished || m_uploadFinished != finished)
            return;
        m_uploadFinished.reset();
        COrvixWinApp& current = COrvixWinApp::current();
        current.ui().messageBox(this, COrvixWinApp::ApplicationTitle,
                                kUploadFailedText.pick(current.session().country));
    });
}

void CWriteTextDlg::sendRequest(const QByteArray& script, const QString& body) {
    m_request = COrvixWinApp::current().sendRequest(script, body, this);
}

int CWriteTextDlg::onMessage(int message, WParam wParam, LParam lParam) {
    if (const auto notice = UploadNotice::from(message, wParam, lParam)) {
        // Only the finish of the upload on its way moves the chain on.
        if (notice->kind != UploadNotice::Kind::Finished || !m_upload ||
            notice->upload != m_upload.data()) {
            return 0;
        }
        if (m_uploadFinished)
            *m_uploadFinished = true;
        m_upload = nullptr;
        act(m_chain.uploadFinished());
        return 1;
    }
    if (const auto reply = ReplyNotice::from(message, wParam, lParam)) {
        if (!m_request || reply->request != m_request.data())
            return 0;
        m_request = nullptr;
        act(m_chain.reply(reply->text()));
        return 1;
    }
    return 0;
}

void CWriteTextDlg::act(OpinionChain::Action action) {
    COrvixWinApp& app = COrvixWinApp::current();
    const SessionRecord& session = app.session();
    switch (action) {
    case OpinionChain::Action::UploadText:
        startUpload(QStringLiteral(".txt"));
        break;
    case OpinionChain::Action::Register:
        sendRequest(OpinionChain::kRegistrationScript,
                    OpinionChain::registrationBody(session.deviceId, m_html, m_name,
                                                   app.environment().currentTimeSeconds()));
        break;
    case OpinionChain::Action::SendOpinion:
        sendRequest(OpinionChain::kOpinionScript,
                    OpinionChain::opinionBody(session.deviceId, m_mailIndex, m_chain.info()));
        break;
    case OpinionChain::Action::Close:
        endDialog(1);
        break;
    case OpinionChain::Action::PhpError:
        app.ui().messageBox(this, COrvixWinApp::ApplicationTitle, OpinionChain::kPhpError);
        break;
    case OpinionChain::Action::None:
        break;
    }
}

} // namespace orvix
