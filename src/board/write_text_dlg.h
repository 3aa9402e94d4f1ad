#pragma once

#include "board/opinion_chain.h"
#include "board/opinion_text.h"
#include "platform/message_target.h"
#include "platform/template_dialog.h"

#include <QPointer>

#include <functional>
#include <memory>

class QComboBox;
class QPlainTextEdit;

namespace orvix {

// "의견쓰기": the member writes an opinion to the post that the post view shows. The text box is
// painted in the chosen colours; bold, italic, a size of 8 to 32 ("16" first) and an alignment
// are chosen beside it. Saving writes "<name>.tml" and "<name>.txt" to the working folder,
// uploads both to the member's mailbox folder, registers the opinion's paragraph as a content
// of style "text" and adds it to the post; the dialog ends with OK once the post has taken it,
// and info() then names the opinion. "php error" leaves the dialog open where the chain
// stopped; saving again starts over with the same file name.
//
// While a step is on its way, saving again does nothing; an upload that ends without reaching
// the server tells the member and lets them save again.
class CWriteTextDlg : public TemplateDialog, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int ResourceId = 190;
    static constexpr int TextBox = 1062;
    static constexpr int BackgroundButton = 1063;
    static constexpr int TextColourButton = 1064;
    static constexpr int BoldBox = 1073;
    static constexpr int ItalicBox = 1074;
    static constexpr int SizeBox = 1075;
    static constexpr int AlignmentBox = 1076;
    static constexpr int PreviewButton = 1077;
    static constexpr int SaveButton = 1;

    static DialogTemplate dialogTemplate();

    // mailIndex: the post the opinion goes to.
    explicit CWriteTextDlg(const QString& mailIndex, QWidget* parent = nullptr);
    ~CWriteTextDlg() override;

    // What the controls say now.
    OpinionText::Style style() const;
    // The text as the text box gives it, lines separated by CR LF.
    QString text() const;

    const QString& fileName() const { return m_name; }
    const OpinionChain& chain() const { return m_chain; }
    // The registration's answer, once the opinion is on the post.
    const QString& info() const { return m_chain.info(); }
    const QColor& backgroundColour() const { return m_background; }
    const QColor& textColour() const { return m_textColour; }

    // Writes the preview page (prevview.html in the working folder) and shows it; false when
    // the page could not be written.
    bool Preview();
    // The preview page: the content preview's header lines, the paragraph, the end.
    static QByteArray previewPage(const QString& paragraph, const QByteArray& charset,
                                  const std::function<QByteArray(const QString&)>& narrow);

    int onMessage(int message, WParam wParam, LParam lParam) override;

protected:
    void onOk() override { Save(); }

private:
    void Save();
    void chooseColour(bool background);
    void paintTextBox();
    void startUpload(const QString& extension);
    void sendRequest(const QByteArray& script, const QString& body);
    void act(OpinionChain::Action action);
    bool busy() const;

    QString m_mailIndex;
    QString m_name;
    QString m_folder;
    QColor m_background = Qt::white;
    QColor m_textColour = Qt::black;
    bool m_sizeTyped = false;
    bool m_alignmentTyped = false;
    OpinionChain m_chain;
    QString m_html;
    QPointer<QObject> m_upload;  // the upload on its way, if any
    QPointer<QObject> m_request; // the request on its way, if any
    // Set when the upload on its way sent its finish notice.
    std::shared_ptr<bool> m_uploadFinished;
    QPlainTextEdit* m_text;
    QComboBox* m_size;
    QComboBox* m_alignment;
};

} // namespace orvix
