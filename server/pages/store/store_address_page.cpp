#include "server/pages/store/store_address_page.h"

#include "server/core/html.h"
#include "server/core/server_context.h"
#include "server/scripts/store/store_registry.h"

#include <QDateTime>

namespace orvix::server {

namespace {

const QString kTitle = QStringLiteral("商店地址 · Store address");

PageReply notice(const QString& text, int status) {
    return PageReply::page(
        Html::page(kTitle, QStringLiteral("<p class=\"empty\">%1</p>").arg(text)), status);
}

// Line breaks and other control characters of a typed address become blanks; the blanks
// around it go.
QString cleanAddress(const QString& typed) {
    QString address = typed;
    for (QChar& c : address) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return address.simplified();
}

QString row(const QString& label, const QString& value) {
    return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(label, Html::escape(value));
}

} // namespace

StoreAddressPage::StoreAddressPage(ServerContext& context, std::shared_ptr<StoreRegistry> stores)
    : m_context(context)
    , m_stores(std::move(stores)) {}

QString StoreAddressPage::address(const QString& deviceId, qint64 storeNo, bool saved) {
    QString page =
        QStringLiteral("%1?deviceid=%2&idx=%3").arg(kPath, Html::queryValue(deviceId)).arg(storeNo);
    if (saved)
        page += QStringLiteral("&saved=1");
    return page;
}

PageReply StoreAddressPage::operator()(const PageRequest& request) const {
    const QString deviceId = request.value(u"deviceid");
    const auto member = m_context.pcAccess().sessionMember(deviceId);
    if (!member)
        return notice(QStringLiteral("This PC session is not open. 请重新登录。"), 403);

    bool numbered = false;
    const qint64 storeNo = request.value(u"idx").toLongLong(&numbered);
    bool failed = false;
    const auto store = numbered ? m_stores->find(storeNo, &failed) : std::nullopt;
    if (failed)
        return notice(QStringLiteral("The store cannot be read right now. Please reload."), 500);
    if (!store || store->ownerMemberNo != *member)
        return notice(QStringLiteral("No such store of yours. 没有这个商店。"), 404);

    QString message;
    int status = 200;
    QString shownAddress = store->address;
    if (request.method == PageRequest::Method::Post) {
        const QString typed = cleanAddress(request.value(u"address"));
        if (typed.isEmpty()) {
            message = QStringLiteral("Please type the address. 请输入地址。");
            status = 400;
        } else if (typed.size() > kMaxAddress) {
            message = QStringLiteral("The address is longer than %1 characters. 地址太长。")
                          .arg(kMaxAddress);
            status = 400;
            shownAddress = typed;
        } else if (!m_stores->setAddress(storeNo, typed, QDateTime::currentSecsSinceEpoch())) {
            return notice(QStringLiteral("The address could not be saved. Please try again."), 500);
        } else {
            return PageReply::redirect(address(deviceId, storeNo, true));
        }
    } else if (request.value(u"saved") == u"1") {
        message = QStringLiteral("Address saved. 地址已保存。");
    }

    QString body = QStringLiteral("<div class=\"card\"><table id=\"store\">\n");
    body += row(QStringLiteral("商号 Store name"), store->name);
    body += row(QStringLiteral("电话号码 Phone"), store->tel);
    body += row(QStringLiteral("商店分类 Kind"), store->kind);
    body += row(QStringLiteral("社长 Owner"), store->ceoName);
    body += row(QStringLiteral("单行说明 Title"), store->title);
    body += row(QStringLiteral("地址 Address"), store->address);
    body += QStringLiteral("</table></div>\n");
    if (!message.isEmpty())
        body += QStringLiteral("<p class=\"meta\" id=\"message\">%1</p>\n").arg(message);
    body +=
        QStringLiteral("<form method=\"post\" action=\"%1\">\n"
                       "<input type=\"hidden\" name=\"deviceid\" value=\"%2\">\n"
                       "<input type=\"hidden\" name=\"idx\" value=\"%3\">\n"
                       "<label>地址 Address<br><input type=\"text\" name=\"address\" value=\"%4\" "
                       "maxlength=\"%5\" size=\"50\" autofocus></label>\n"
                       "<button type=\"submit\">保存 Save</button>\n</form>\n")
            .arg(Html::escape(kPath), Html::escape(deviceId))
            .arg(storeNo)
            .arg(Html::escape(shownAddress))
            .arg(kMaxAddress);
    return PageReply::page(Html::page(kTitle, body), status);
}

} // namespace orvix::server
