#pragma once

#include "editor/content_block.h"
#include "editor/text_measurer.h"

#include <QColor>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace orvix {

// What the editor edits: the ordered blocks of one content, the content's own fields (title,
// file name, server folder, the HTML and photo list of the last export) and whether anything
// changed since New. Every edit of the editor's buttons is an operation here; the view paints
// what this holds and forwards input to it.
class ContentModel {
public:
    using Blocks = std::vector<std::unique_ptr<CContentBlock>>;
    // What the upload registers the content as.
    enum Kind { PostContent = 0, MemberContent = 1, StoreContent = 2 };
    static inline const QString DefaultStyle = QStringLiteral("replayinfo");

    ContentModel();

    // Lays out a text block; by default with its own font, measured by the model's measurers.
    // Tests give a fixed measurer.
    using Layout = std::function<void(CContentText&)>;
    void setLayout(Layout layout) { m_layout = std::move(layout); }
    void layOut(CContentText& text) const { m_layout(text); }

    const Blocks& blocks() const { return m_blocks; }
    int count() const { return int(m_blocks.size()); }
    CContentBlock* block(int index) const;
    int selectedIndex() const { return m_selected; }
    CContentBlock* selected() const { return block(m_selected); }

    // Appending: the new block is laid out, added at the end and becomes the only selected
    // one; modified is set.
    void addText(const QString& text);
    // The picture is loaded from localPath; the stamp name is the time and the file name.
    void addPhoto(const QString& localPath, const QString& shownName, qint32 now);
    void addDocument(const QString& documentName, const QString& address, const QString& extension,
                     const QString& comment);

    // Edits of the selected block; each returns whether it changed anything. Only text edits,
    // deleting and moving set modified: alignment (of a photo or a document), size and link
    // leave it as it was.
    bool modifyText(const QString& text); // a text block, and only with a text
    bool setAlignment(int alignment);
    bool setFont(int size, bool bold, bool italic); // a text block
    bool setBackground(const QColor& colour);       // a text block
    bool setTextColour(const QColor& colour);       // a text block
    bool setLink(const QString& link);
    bool setSizePercent(int percent); // a photo's width percent or a document's size percent
    bool deleteSelected();
    bool moveUp();
    bool moveDown();
    bool moveToFirst();
    bool moveToLast();

    // The block whose list height holds a point of the content strictly inside (a point on the
    // boundary of two blocks hits neither), or -1.
    int hitTest(int contentY) const;
    // Selects the block at a point; the selection stays as it was when nothing is hit.
    int selectAt(int contentY);
    void select(int index);

    // The sum of the blocks' list heights.
    int totalHeight() const;

    // Starts a new content (New without its question): a new file name and the member's
    // folder, nothing modified, kind post, no blocks and nothing selected.
    void startNew(const QString& memberId, int memberNumber, qint32 now);
    // Takes the blocks read from a content file in place of the present ones: texts laid out,
    // nothing selected.
    void replaceBlocks(Blocks blocks);

    // Content-level fields.
    int memberNumber = 0;
    bool modified = false;
    int contentKind = PostContent;
    QString style = DefaultStyle;
    QString title;
    QString fileName;
    QString folder;
    QString html;
    QString photoList;
    QString mailIndex;
    int blockCount = 0;

private:
    void append(std::unique_ptr<CContentBlock> block);
    CContentText* selectedText() const;
    bool moveSelectedTo(int position);

    Blocks m_blocks;
    int m_selected = -1;
    std::shared_ptr<FontMeasurers> m_measurers;
    Layout m_layout;
};

} // namespace orvix
