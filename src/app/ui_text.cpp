#include "app/ui_text.h"

#include <array>

namespace orvix {

namespace {

constexpr std::array<LocalText, 32> kUiRows{{
    {u"제목", u"题目", u"Subject"},
    {u"영상크기설정", u"设置影像大小", u"Image size"},
    {u"Orvix", u"Orvix", u"Orvix"},
    {u"상점이름", u"商号", u"Store name"},
    {u"전화번호", u"电话号码", u"Phone number"},
    {u"1줄설명", u"单行说明", u"Title"},
    {u"상점분류", u"商店分类", u"Store style"},
    {u"대표", u"社长", u"Owner"},
    {u"검색", u"搜索", u"Seek"},
    {u"상점사진", u"商店照片", u"Store photo"},
    {u"사진보기", u"查看照片", u"Photo view"},
    {u"단체정보", u"商店信息", u"Information"},
    {u"저장", u"保存", u"Save"},
    {u"JPG,GIF,PNG 만 가능합니다.", u"仅需使用JPG、GIF、PNG文件即可。",
     u"Please select photo file format JPG,GIF,PNG"},
    {u"스마트에디터", u"多媒体编辑器", u"Smart Editor"},
    {u"의견쓰기", u"写意见", u"Write Text"},
    {u"사진", u"相片", u"Photo"},
    {u"문서", u"文档", u"Document"},
    {u"새로고침", u"新修整", u"Reload"},
    {u"발제자", u"开设者", u"Owner"},
    {u"참여윈원", u"参与人员", u"Member"},
    {u"명", u"名", u" "},
    {u"의견", u"意见", u"Opinion"},
    {u"개", u"个", u" "},
    {u"Orvix 알림", u"Orvix通知", u"Orvix Message"},
    {u"광장", u"Orvix广场", u"Orvix Square"},
    {u"콘텐트 편집기", u"内容编辑器", u"Content Editor"},
    {u"채팅", u"网上聊天", u"Chatting"},
    {u"광장", u"Orvix广场", u"Square"},
    {u"도큐먼트", u"Orvix故事", u"Story"},
    {u"내정보", u"信息", u"Information"},
    {u"단체정보", u"商店注册", u"Add store"},
}};

constexpr std::array<LocalText, 10> kLoginRows{{
    {u"Orvix 로그인", u"Orvix登录", u"Orvix Login"},
    {u"확인", u"确认", u"OK"},
    {u"취소", u"取消", u"CANCEL"},
    {u"비밀번호를 수정 하셔야 PC Orvix 접속이 가능 합니다.", u"必须修改密码。",
     u"Please modify your password and try login"},
    {u"비밀번호가 일치 하지 않습니다.", u"密码不一致。", u"Password is not correct!"},
    {u"허가되지 않았습니다.", u"不能批准。", u"Not agree use PC"},
    {u"Orvix앱 광장으로 인증메세지를 보냈습니다.", u"请在智能手机上认证。",
     u"Please Agree your phone on Orvix App"},
    {u"아이디", u"用户名", u"ID"},
    {u"비밀번호", u"密码", u"Password"},
    {u"아이디 기억", u"记住用户名", u"Remember ID"},
}};

} // namespace

QString uiText(UiRow row, int column) {
    return kUiRows.at(static_cast<std::size_t>(row)).pick(column);
}

QString loginText(LoginRow row, int column) {
    return kLoginRows.at(static_cast<std::size_t>(row)).pick(column);
}

int countryCodeFor(const QString& isoCode) {
    if (isoCode == QLatin1String("KR"))
        return Country::Korea;
    if (isoCode == QLatin1String("CN"))
        return Country::China;
    return Country::Other;
}

} // namespace orvix
