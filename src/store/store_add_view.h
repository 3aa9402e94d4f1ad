#pragma once

#include "platform/dialog_template.h"
#include "platform/message_target.h"
#include "store/store_form.h"

#include <QWidget>

namespace orvix {

// The store registration form: store name, phone number, one-line title, kind and owner, one
// store photo and up to six information photos. Save checks the form in its order and sends it
// to "/android/pcaddstore.php"; the save button stays hidden while the reply is awaited. A
// registered store gets its scaled photo copies in the working folder, its address page opens
// (CWebMapView), and the form starts empty again; a refused registration says so and keeps
// what the member typed. Every label shows in the store text column.
class CStoreAddView : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int ResourceId = 103;
    enum ControlId {
        StoreNameLabel = 1028,
        StoreNameEdit = 1029,
        PhoneLabel = 1030,
        PhoneEdit = 1031,
        SeekButton = 1032,
        TitleLabel = 1033,
        TitleEdit = 1034,
        KindLabel = 1035,
        KindEdit = 1036,
        OwnerLabel = 1037,
        OwnerEdit = 1038,
        StorePhotoButton = 1039,
        ViewPhotoButton = 1040,
        InformationButton = 1041,
        SaveButton = 1042,
    };

    explicit CStoreAddView(QWidget* parent = nullptr);

    // Labels and their font, the view-photo button hidden.
    void OnInitialUpdate();

    // The buttons.
    void OnStorePhoto();
    void OnInformation();
    void OnSave();

    // The registration reply.
    int onMessage(int message, WParam wParam, LParam lParam) override;

    const StoreForm& form() const { return m_form; }
    // The registration key of the registration under way (empty when none is).
    const QString& registrationKey() const { return m_registrationKey; }
    bool isWaiting() const { return m_waiting; }
    // The label font: 16 pixels high, normal weight, the store text column's face.
    const QFont& labelFont() const { return m_labelFont; }

    static DialogTemplate dialogTemplate();

signals:
    // A registration was answered: the store's number, or 0 when it was refused.
    void registrationAnswered(int storeIndex);

private:
    void OnReply(const QString& text);
    void notice(const QString& text);
    void takeValues();
    void showValues();

    StoreForm m_form;
    QString m_registrationKey;
    QFont m_labelFont;
    bool m_waiting = false;
};

} // namespace orvix
