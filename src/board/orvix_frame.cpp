#include "board/orvix_frame.h"

#include "app/ui_text.h"
#include "board/orvix_area_view.h"
#include "platform/resources.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix {

namespace {

// The tool bar: a strip along the frame's bottom edge with a line on its top.
class ToolBar : public QWidget {
public:
    ToolBar(const DialogTemplate& dialogTemplate, QWidget* parent)
        : QWidget(parent) {
        buildControls(this, dialogTemplate);
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        setObjectName(controlName(COrvixFrame::ToolBarId));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        painter.setPen(QColor(160, 160, 160));
        painter.drawLine(0, 0, width(), 0);
    }
};

constexpr UiRow kLabelRows[5] = {UiRow::SmartEditor, UiRow::WriteText, UiRow::Photo,
                                 UiRow::Document, UiRow::Reload};

} // namespace

const COrvixFrame::ToolButton COrvixFrame::kToolButtons[5] = {
    {COrvixAreaView::SmartEditor, 168, 1061}, {COrvixAreaView::WriteText, 169, 1062},
    {COrvixAreaView::AttachPhoto, 170, 1063}, {COrvixAreaView::AttachDocument, 171, 1064},
    {COrvixAreaView::Reload, 172, 1065},
};

DialogTemplate COrvixFrame::toolBarTemplate() {
    DialogTemplate bar;
    bar.resourceId = ToolBarTemplate;
    bar.size = QSize(300, 44);
    bar.fontFace = QStringLiteral("굴림체");
    bar.pointSize = 9;
    for (int i = 0; i < 5; ++i) {
        const int left = 8 + 56 * i;
        bar.controls.push_back(
            {kToolButtons[i].id, ControlKind::Button, QRect(left + 12, 3, 27, 27), {}});
        bar.controls.push_back(
            {kToolButtons[i].label, ControlKind::Static, QRect(left, 30, 52, 11), {}});
    }
    return bar;
}

COrvixFrame::COrvixFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::PostFrame, Caption::WithSystemMenu,
                   uiText(UiRow::Square, COrvixWinApp::current().session().country),
                   QRect(centredLeft(800), 180, 700, 600), parent)
    , m_view(new COrvixAreaView)
    , m_toolBar(new ToolBar(toolBarTemplate(), nullptr)) {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_toolBar, 0);
    setCentralWidget(central);

    const int country = COrvixWinApp::current().session().country;
    for (int i = 0; i < 5; ++i) {
        auto* button = findControl<QPushButton>(m_toolBar, kToolButtons[i].id);
        const QImage picture = res::bitmap(kToolButtons[i].bitmap);
        // One picture for every state of the button, and the button as large as its picture.
        button->setIcon(QIcon(QPixmap::fromImage(picture)));
        button->setIconSize(picture.size());
        button->setFixedSize(picture.size());
        button->setFlat(true);
        button->setStyleSheet(QStringLiteral("QPushButton{border:none;padding:0}"));
        const int id = kToolButtons[i].id;
        connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        auto* label = findControl<QLabel>(m_toolBar, kToolButtons[i].label);
        label->setText(uiText(kLabelRows[i], country));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    m_view->OnInitialUpdate();
}

bool COrvixFrame::OnCommand(int id) {
    return m_view->OnCommand(id);
}

} // namespace orvix
