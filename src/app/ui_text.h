#pragma once

#include "app/local_text.h"

#include <QString>

namespace orvix {

// Rows of the program's three-language text table. Each row holds one text in Korean, Chinese
// and English; a window picks the column with the country code (0, 1, 2) or, for the texts that
// always show in the second column, with the store text column.
enum class UiRow {
    Subject,
    ImageSize,
    Product,
    StoreName,
    PhoneNumber,
    OneLineTitle,
    StoreKind,
    OwnerName,
    Seek,
    StorePhoto,
    ViewPhoto,
    Information,
    Save,
    PhotoFormats,
    SmartEditor,
    WriteText,
    Photo,
    Document,
    Reload,
    Opener,
    Members,
    PersonsUnit,
    Opinion,
    CountUnit,
    NoticeTitle,
    Square,
    ContentEditor,
    Chatting,
    SquareButton,
    Story,
    MyInformation,
    AddStore,
};

// Rows of the login dialog's own table.
enum class LoginRow {
    Title,
    Ok,
    Cancel,
    PasswordMustChange,
    WrongPassword,
    NotAdmitted,
    AgreementPending,
    IdLabel,
    PasswordLabel,
    RememberLabel,
};

// The column every window uses for the texts that always show in Chinese (main window title,
// notice dialog, store form).
constexpr int StoreTextColumn = 1;

// The text of a row in a column; a column outside 0..2 reads as English.
QString uiText(UiRow row, int column);
QString loginText(LoginRow row, int column);

// The country code of a two-letter ISO 3166 code: exactly "KR" is Korea, exactly "CN" China,
// anything else (other case included) another country.
int countryCodeFor(const QString& isoCode);

} // namespace orvix
