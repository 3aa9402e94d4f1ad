#pragma once

#include "app/feature_frame.h"

class QLineEdit;
class QPlainTextEdit;
class QToolBar;

namespace orvix {

class CContentView;

// The content editor's window ("Smart Editor"): the content view between a title bar (the
// title, upload and close) and a tool bar (the text box and one picture button per command).
// It has no close box; closing it only hides it, so the content survives until it is
// replaced. The launcher's Information and Add store open the member's and the store's
// contents in it.
class CContentFrame : public FeatureFrame {
    Q_OBJECT
public:
    // Controls of the title bar.
    enum TitleBarId {
        SubjectLabel = 1059,
        TitleEdit = 1008,
        UploadButton = 1072,
        CloseButton = 1066
    };
    // Controls of the tool bar.
    enum ToolBarId {
        TextEdit = 1017,
        AddPhotoButton = 1009,
        AddDocumentButton = 1054,
        TextStyleButton = 1010,
        BackgroundButton = 1014,
        TextColourButton = 1015,
        AlignLeftButton = 1011,
        AlignCentreButton = 1012,
        AlignRightButton = 1013,
        ModifyTextButton = 1018,
        DeleteButton = 1055,
        WebLinkButton = 1056,
        MoveUpButton = 1057,
        MoveDownButton = 1058,
        MoveToTopButton = 1059,
        MoveToEndButton = 1060,
        AddTextButton = 1016,
        PreviewButton = 1061,
    };

    explicit CContentFrame(QWidget* parent = nullptr);

    CContentView* view() const { return m_view; }
    QWidget* titleBar() const { return m_titleBar; }
    QWidget* toolBar() const { return m_toolBar; }
    QLineEdit* titleEdit() const { return m_title; }
    QPlainTextEdit* textEdit() const { return m_text; }

    // The commands of the buttons.
    void OnAddPhoto();
    void OnAddDocument();
    void OnTextStyle();
    void OnBackgroundColour();
    void OnTextColour();
    void OnAddText();
    void OnModifyText();
    void OnPreview();
    void OnUpload();

    // The size a font chooser's font stands for: its height in pixels, negative for a size in
    // points (the character height), as the editor keeps it.
    static int sizeOfChosenFont(const QFont& font);

private:
    QWidget* buildTitleBar();
    QWidget* buildToolBar();
    QToolBar* dock(QWidget* bar, Qt::ToolBarArea area, const QString& name);

    CContentView* m_view;
    QWidget* m_titleBar = nullptr;
    QWidget* m_toolBar = nullptr;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_text = nullptr;
};

} // namespace orvix
