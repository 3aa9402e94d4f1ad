#include "server/core/route_table.h"

#include <QUrl>

#include <algorithm>

namespace orvix::server {

namespace {

QString decodeComponent(QByteArray text) {
    text.replace('+', ' ');
    return QUrl::fromPercentEncoding(text);
}

const QString* firstValue(const QList<QPair<QString, QString>>& pairs, QStringView name) {
    for (const auto& pair : pairs) {
        if (pair.first == name)
            return &pair.second;
    }
    return nullptr;
}

} // namespace

QList<QPair<QString, QString>> PageRequest::decodePairs(const QByteArray& encoded) {
    QList<QPair<QString, QString>> pairs;
    for (const QByteArray& piece : encoded.split('&')) {
        if (piece.isEmpty())
            continue;
        const qsizetype equals = piece.indexOf('=');
        if (equals < 0)
            pairs.append({decodeComponent(piece), QString()});
        else
            pairs.append(
                {decodeComponent(piece.first(equals)), decodeComponent(piece.sliced(equals + 1))});
    }
    return pairs;
}

QString PageRequest::value(QStringView name) const {
    if (const QString* v = firstValue(query, name))
        return *v;
    if (const QString* v = firstValue(form, name))
        return *v;
    return {};
}

bool PageRequest::has(QStringView name) const {
    return firstValue(query, name) || firstValue(form, name);
}

void RouteTable::addScript(const QString& path, Script script) {
    m_deferredScripts.remove(path);
    m_scripts.insert(path, std::move(script));
}

void RouteTable::addDeferredScript(const QString& path, DeferredScript script) {
    m_scripts.remove(path);
    m_deferredScripts.insert(path, std::move(script));
}

void RouteTable::addPage(const QString& path, Page page, bool acceptsPost) {
    m_pages.insert(path, PageRoute{std::move(page), acceptsPost});
}

const RouteTable::Script* RouteTable::script(const QString& path) const {
    const auto it = m_scripts.constFind(path);
    return it == m_scripts.constEnd() ? nullptr : &it.value();
}

const RouteTable::DeferredScript* RouteTable::deferredScript(const QString& path) const {
    const auto it = m_deferredScripts.constFind(path);
    return it == m_deferredScripts.constEnd() ? nullptr : &it.value();
}

const RouteTable::Page* RouteTable::page(const QString& path) const {
    const auto it = m_pages.constFind(path);
    return it == m_pages.constEnd() ? nullptr : &it.value().page;
}

bool RouteTable::pageAcceptsPost(const QString& path) const {
    const auto it = m_pages.constFind(path);
    return it != m_pages.constEnd() && it.value().acceptsPost;
}

QStringList RouteTable::paths() const {
    QStringList paths = m_scripts.keys() + m_deferredScripts.keys() + m_pages.keys();
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace orvix::server
