#include "server/demo/demo_seeder.h"

#include "server/admin/member_photo.h"
#include "server/admin/member_registration.h"
#include "server/core/server_context.h"
#include "server/demo/avatar_painter.h"

#include <QFileInfo>

#include <array>

namespace orvix::server {

namespace {

struct DemoMember {
    const char16_t* id;
    const char16_t* password;
    const char16_t* name;
    AvatarPainter::Look look;
};

std::array<DemoMember, 4> demoMembers() {
    return {{
        {u"demo",
         u"demo1234",
         u"Demo",
         {QColor(70, 130, 200), QColor(240, 160, 40), QColor(245, 215, 185), QColor(60, 40, 30)}},
        {u"minji",
         u"minji1234",
         u"김민지",
         {QColor(220, 120, 150), QColor(90, 60, 140), QColor(250, 225, 200), QColor(30, 25, 25)}},
        {u"wei",
         u"wei12345",
         u"王伟",
         {QColor(90, 170, 110), QColor(40, 70, 120), QColor(235, 200, 165), QColor(20, 20, 20)}},
        {u"alex",
         u"alex1234",
         u"Alex",
         {QColor(150, 150, 160), QColor(180, 50, 50), QColor(200, 150, 110), QColor(120, 80, 40)}},
    }};
}

} // namespace

DemoSeeder::DemoSeeder(ServerContext& context)
    : m_context(context) {}

bool DemoSeeder::seed(QString* error) {
    using Step = bool (DemoSeeder::*)(QString*);
    const Step steps[] = {&DemoSeeder::seedMembers};
    for (Step step : steps) {
        if (!(this->*step)(error))
            return false;
    }
    return true;
}

bool DemoSeeder::seedMembers(QString* error) {
    MemberRegistration registration(m_context);
    for (const DemoMember& demo : demoMembers()) {
        const QString id = QString::fromUtf16(demo.id);
        bool failed = false;
        const auto existing = m_context.members().findByLoginId(id, &failed);
        if (failed) {
            if (error)
                *error = m_context.database().lastError();
            return false;
        }
        if (!existing) {
            const QByteArray photo = MemberPhoto::encode(AvatarPainter::paint(demo.look));
            if (!registration.add(id, QString::fromUtf16(demo.password),
                                  QString::fromUtf16(demo.name), photo, error)) {
                return false;
            }
        } else if (!QFileInfo::exists(m_context.folder().memberPhotoPath(existing->memberNo))) {
            const QByteArray photo = MemberPhoto::encode(AvatarPainter::paint(demo.look));
            if (!MemberPhoto::store(m_context.folder(), existing->memberNo, photo, error))
                return false;
        }
    }
    return true;
}

} // namespace orvix::server
