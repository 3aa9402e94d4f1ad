#include "editor/content_upload.h"

#include "editor/content_model.h"
#include "editor/content_requests.h"
#include "net/reply_text.h"

#include <QFile>

#include <algorithm>
#include <limits>

namespace orvix {

namespace {

const QString kPhotoMissing = QStringLiteral("그림 파일의 연결이 에러 입니다.");
const QString kPhpError = QStringLiteral("php error");
const QString kUpdated = QStringLiteral("수정되었습니다.");

} // namespace

ContentUpload::ContentUpload(ContentModel& model, Host& host, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_host(host) {
    m_pause.setSingleShot(true);
    m_pause.setInterval(std::chrono::milliseconds(1000));
    connect(&m_pause, &QTimer::timeout, this, &ContentUpload::uploadNext);
}

bool ContentUpload::start() {
    if (isRunning() || !m_host.buildExport())
        return false;
    m_host.writeContentFile();

    // Every photo file must be there before anything is sent.
    std::vector<Photo> photos;
    QStringList list;
    qint64 total = 0;
    for (const auto& block : m_model.blocks()) {
        if (!block->photo)
            continue;
        QFile file(block->photo->localPath);
        if (block->photo->localPath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            m_host.showMessage(kPhotoMissing);
            return false;
        }
        list.append(block->photo->name + u'=' + QString::number(file.size()));
        total += file.size();
        photos.push_back({block->photo->name, block->photo->localPath});
    }
    m_model.photoList = list.join(u',');

    m_photos = std::move(photos);
    m_nextPhoto = 0;
    m_info.clear();
    m_request.clear();
    m_host.showProgress(total);
    m_phase = Phase::Files;
    const QString contentFile = m_model.fileName + QStringLiteral(".sml");
    startUpload(contentFile, m_host.workFolder() + u'/' + contentFile);
    return m_phase == Phase::Files;
}

void ContentUpload::startUpload(const QString& name, const QString& localPath) {
    m_upload = m_host.upload(m_model.folder, name, localPath);
    if (!m_upload) {
        fail();
        return;
    }
    // An upload that goes away without its finishing notice has failed.
    connect(m_upload, &QObject::destroyed, this, [this] {
        if (m_phase == Phase::Files)
            fail();
    });
}

void ContentUpload::uploadFinished() {
    if (m_phase != Phase::Files || !m_upload)
        return;
    m_upload->disconnect(this);
    m_upload.clear();
    if (m_nextPhoto < m_photos.size()) {
        m_pause.start();
        return;
    }
    sendRequest(ContentRequests::Registration,
                ContentRequests::registration(m_host.deviceId(), m_model.style, m_model.html,
                                              m_model.fileName, m_host.now(), m_model.title,
                                              m_model.photoList),
                Phase::Registering);
}

void ContentUpload::uploadNext() {
    if (m_phase != Phase::Files || m_nextPhoto >= m_photos.size())
        return;
    const Photo& photo = m_photos[m_nextPhoto++];
    startUpload(photo.name, photo.localPath);
}

void ContentUpload::sendRequest(const QByteArray& script, const QString& body, Phase next) {
    m_phase = next;
    if (m_request)
        m_request->disconnect(this);
    m_request = m_host.request(script, body);
    if (!m_request) {
        if (next != Phase::LastUpdate)
            fail();
        return;
    }
    // A request that goes away without a reply was never answered.
    connect(m_request, &QObject::destroyed, this, [this] {
        if (isRunning())
            fail();
    });
}

void ContentUpload::reply(QObject* request, const QString& text) {
    if (!request || request != m_request.data() || m_phase == Phase::Idle)
        return;
    m_request->disconnect(this);
    const ReplyFields fields(text);
    if (fields.field(1) != u"1") {
        m_host.showMessage(kPhpError);
        fail();
        return;
    }
    switch (m_phase) {
    case Phase::Registering:
        m_info = fields.field(2);
        if (m_model.contentKind == ContentModel::MemberContent ||
            m_model.contentKind == ContentModel::StoreContent) {
            const bool profile = m_model.contentKind == ContentModel::MemberContent;
            sendRequest(profile ? ContentRequests::ProfileUpdate : ContentRequests::StoreUpdate,
                        ContentRequests::info(m_host.deviceId(), m_info), Phase::LastUpdate);
            m_host.hideProgress();
            m_host.showMessage(kUpdated);
        } else {
            sendRequest(ContentRequests::PostRegistration,
                        ContentRequests::postInfo(m_host.deviceId(), m_model.mailIndex, m_info),
                        Phase::Posting);
        }
        break;
    case Phase::Posting:
        m_host.hideProgress();
        m_host.postRegistered();
        sendRequest(ContentRequests::PostTextUpdate,
                    ContentRequests::postInfo(m_host.deviceId(), m_model.mailIndex, m_info),
                    Phase::PostText);
        break;
    case Phase::PostText:
        end();
        m_host.requestPostList();
        break;
    case Phase::LastUpdate:
        end();
        break;
    case Phase::Idle:
    case Phase::Files:
        break;
    }
}

void ContentUpload::fail() {
    const bool wasActive = m_phase != Phase::Idle;
    end();
    if (wasActive)
        m_host.hideProgress();
}

void ContentUpload::end() {
    m_phase = Phase::Idle;
    m_pause.stop();
    if (m_upload)
        m_upload->disconnect(this);
    if (m_request)
        m_request->disconnect(this);
    m_upload.clear();
    m_request.clear();
    m_photos.clear();
    m_nextPhoto = 0;
}

} // namespace orvix
