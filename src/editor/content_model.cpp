#include "editor/content_model.h"

#include "editor/content_names.h"

#include <algorithm>
#include <limits>

namespace orvix {

ContentModel::ContentModel()
    : m_measurers(std::make_shared<FontMeasurers>())
    , m_layout([measurers = m_measurers](CContentText& text) {
        text.Relayout(measurers->forFont(text.font()));
    }) {}

CContentBlock* ContentModel::block(int index) const {
    return index >= 0 && index < count() ? m_blocks[size_t(index)].get() : nullptr;
}

void ContentModel::select(int index) {
    m_selected = index >= 0 && index < count() ? index : -1;
    for (int i = 0; i < count(); ++i)
        m_blocks[size_t(i)]->selected = i == m_selected;
}

void ContentModel::append(std::unique_ptr<CContentBlock> block) {
    modified = true;
    m_blocks.push_back(std::move(block));
    select(count() - 1);
}

void ContentModel::addText(const QString& text) {
    auto block = std::make_unique<CContentBlock>(CContentBlock::Text);
    block->text->text = text;
    layOut(*block->text);
    append(std::move(block));
}

void ContentModel::addPhoto(const QString& localPath, const QString& shownName, qint32 now) {
    auto block = std::make_unique<CContentBlock>(CContentBlock::Photo);
    block->photo->load(localPath);
    block->photo->stampName = QString::number(now) + shownName;
    append(std::move(block));
}

void ContentModel::addDocument(const QString& documentName, const QString& address,
                               const QString& extension, const QString& comment) {
    auto block = std::make_unique<CContentBlock>(CContentBlock::Document);
    block->document->fileName = documentName;
    block->document->address = address;
    block->document->extension = extension;
    block->document->comment = comment;
    append(std::move(block));
}

CContentText* ContentModel::selectedText() const {
    CContentBlock* current = selected();
    return current ? current->text.get() : nullptr;
}

bool ContentModel::modifyText(const QString& text) {
    CContentText* target = selectedText();
    if (!target || text.isEmpty())
        return false;
    modified = true;
    target->text = text;
    layOut(*target);
    return true;
}

bool ContentModel::setAlignment(int alignment) {
    CContentBlock* current = selected();
    if (!current)
        return false;
    current->setAlignment(alignment);
    if (current->text)
        modified = true;
    return true;
}

bool ContentModel::setFont(int size, bool bold, bool italic) {
    CContentText* target = selectedText();
    if (!target)
        return false;
    target->size = size;
    target->bold = bold;
    target->italic = italic;
    layOut(*target);
    modified = true;
    return true;
}

bool ContentModel::setBackground(const QColor& colour) {
    CContentText* target = selectedText();
    if (!target)
        return false;
    target->background = colour;
    modified = true;
    return true;
}

bool ContentModel::setTextColour(const QColor& colour) {
    CContentText* target = selectedText();
    if (!target)
        return false;
    target->textColour = colour;
    modified = true;
    return true;
}

bool ContentModel::setLink(const QString& link) {
    CContentBlock* current = selected();
    if (!current)
        return false;
    current->link = link;
    return true;
}

bool ContentModel::setSizePercent(int percent) {
    CContentBlock* current = selected();
    if (current && current->photo)
        current->photo->widthPercent = percent;
    else if (current && current->document)
        current->document->sizePercent = percent;
    else
        return false;
    return true;
}

bool ContentModel::deleteSelected() {
    if (!selected())
        return false;
    m_blocks.erase(m_blocks.begin() + m_selected);
    modified = true;
    select(-1);
    return true;
}

bool ContentModel::moveSelectedTo(int position) {
    if (!selected() || position < 0 || position >= count() || position == m_selected)
        return false;
    auto moving = std::move(m_blocks[size_t(m_selected)]);
    m_blocks.erase(m_blocks.begin() + m_selected);
    m_blocks.insert(m_blocks.begin() + position, std::move(moving));
    m_selected = position;
    modified = true;
    return true;
}

bool ContentModel::moveUp() {
    return moveSelectedTo(m_selected - 1);
}

bool ContentModel::moveDown() {
    return selected() && moveSelectedTo(m_selected + 1);
}

bool ContentModel::moveToFirst() {
    return moveSelectedTo(0);
}

bool ContentModel::moveToLast() {
    return moveSelectedTo(count() - 1);
}

int ContentModel::hitTest(int contentY) const {
    qint64 top = 0;
    for (int i = 0; i < count(); ++i) {
        const qint64 bottom = top + m_blocks[size_t(i)]->listHeight();
        if (top < contentY && contentY < bottom)
            return i;
        top = bottom;
    }
    return -1;
}

int ContentModel::selectAt(int contentY) {
    const int hit = hitTest(contentY);
    if (hit >= 0)
        select(hit);
    return hit;
}

int ContentModel::totalHeight() const {
    qint64 total = 0;
    for (const auto& b : m_blocks)
        total += b->listHeight();
    return int(std::clamp<qint64>(total, 0, std::numeric_limits<int>::max()));
}

void ContentModel::startNew(const QString& memberId, int number, qint32 now) {
    memberNumber = number;
    fileName = ContentNames::newFileName(memberId, number, now);
    folder = ContentNames::mailboxFolder(number);
    modified = false;
    blockCount = 0;
    contentKind = PostContent;
    m_blocks.clear();
    m_selected = -1;
}

void ContentModel::replaceBlocks(Blocks blocks) {
    m_blocks = std::move(blocks);
    for (const auto& b : m_blocks) {
        if (b->text)
            layOut(*b->text);
    }
    select(-1);
}

} // namespace orvix
