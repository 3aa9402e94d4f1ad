#pragma once

#include <QString>

#include <string_view>

namespace orvix {

// Country codes: which of the three languages a window shows.
namespace Country {
constexpr int Korea = 0;
constexpr int China = 1;
constexpr int Other = 2;
} // namespace Country

// One text in the program's three languages, picked by the country code of the session:
// Korean for Korea (0), Chinese for China (1), English for any other code. A feature keeps its
// texts as constants and picks them when it fills its windows:
//
//     constexpr LocalText kReload{u"새로고침", u"新修整", u"Reload"};
//     reload->setText(kReload.pick(COrvixWinApp::current().session().country));
struct LocalText {
    std::u16string_view korean;
    std::u16string_view chinese;
    std::u16string_view english;

    QString pick(int country) const;
};

} // namespace orvix
