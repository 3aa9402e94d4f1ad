#include "store/store_form.h"

#include "app/local_text.h"
#include "net/reply_text.h"

#include <QFileInfo>

namespace orvix {

namespace {

QString formValue(QString value) {
    value.replace(u'&', u' ');
    return value;
}

} // namespace

bool StoreForm::isPhotoPath(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toUpper();
    return extension == u"JPG" || extension == u"PNG" || extension == u"GIF";
}

bool StoreForm::setStorePhoto(const QString& path) {
    if (!isPhotoPath(path))
        return false;
    m_storePhotoPath = path;
    m_storePhotoName = QFileInfo(path).fileName();
    return true;
}

bool StoreForm::setInfoPhotos(const QStringList& paths) {
    m_infoPhotos = paths.mid(0, MaxInfoPhotos);
    return paths.size() <= MaxInfoPhotos;
}

std::optional<UiRow> StoreForm::firstMissing() const {
    const std::pair<const QString*, UiRow> typed[] = {
        {&storeName, UiRow::StoreName}, {&phone, UiRow::PhoneNumber},
        {&title, UiRow::OneLineTitle},  {&kind, UiRow::StoreKind},
        {&owner, UiRow::OwnerName},     {&m_storePhotoPath, UiRow::StorePhoto},
    };
    for (const auto& [value, row] : typed) {
        if (value->isEmpty())
            return row;
    }
    if (m_infoPhotos.isEmpty())
        return UiRow::Information;
    return std::nullopt;
}

QString StoreForm::requestBody(const QString& deviceId, const QString& registrationKey) const {
    return QStringLiteral("deviceid=%1&storename=%2&storetel=%3&storestyle=%4&ceoname=%5&title=%6"
                          "&addkey=%7&infophoto=%8")
        .arg(formValue(deviceId), formValue(storeName), formValue(phone), formValue(kind),
             formValue(owner), formValue(title), formValue(registrationKey))
        .arg(m_infoPhotos.size());
}

std::optional<int> StoreForm::storeIndexOf(const QString& replyText) {
    const ReplyFields fields(replyText);
    if (fields.field(1) != u"1")
        return std::nullopt;
    const int index = fields.number(3);
    if (index <= 0)
        return std::nullopt;
    return index;
}

void StoreForm::clear() {
    storeName.clear();
    phone.clear();
    title.clear();
    kind.clear();
    owner.clear();
    m_storePhotoPath.clear();
    m_storePhotoName.clear();
    m_infoPhotos.clear();
}

QString StoreForm::tooManyPhotosMessage(int column) {
    constexpr LocalText kTooMany{u"사진은 6장까지 가능합니다. 앞의 6장만 사용합니다.",
                                 u"最多只能选择6张照片，只使用前6张。",
                                 u"Up to 6 photos can be used. Only the first 6 are kept."};
    return kTooMany.pick(column);
}

} // namespace orvix
