#pragma once
// The suite's message box "comMessage.comMSG": a right-to-left dialog with a title, a text, an OK
// button (type 0, an error or a warning; type 2, a success) or yes/no buttons (type 1, a
// question), in the three colours the caller gives.
#include <QColor>
#include <QObject>
#include <QString>
#include <functional>

namespace vela {

struct MessageRecord {
    QString title;
    QString text;
    int type = 0; // comMSG::TypeMessage, TypeQuestion or TypeInformation
    // The colours the box was shown in (32-bit, red in the lowest byte).
    quint32 formBackColor = 0, btmBackColor = 0, frameBackColor = 0;
};

class comMSG : public QObject {
    Q_OBJECT
    // Callers reach the box by name, so its members are also published to the meta-object
    // system: a replacement registered under the same name needs only the same names.
    Q_PROPERTY(QString FormTitle READ FormTitle WRITE setFormTitle)
    Q_PROPERTY(QString FormMessage READ FormMessage WRITE setFormMessage)
    Q_PROPERTY(qint16 FormType READ FormType WRITE setFormType)
    Q_PROPERTY(quint32 FormBackColor READ FormBackColor WRITE setFormBackColor)
    Q_PROPERTY(quint32 BtmBackColor READ BtmBackColor WRITE setBtmBackColor)
    Q_PROPERTY(quint32 FrameBackColor READ FrameBackColor WRITE setFrameBackColor)
    Q_PROPERTY(int Resualt READ Resualt)
public:
    static constexpr const char *ProgId = "comMessage.comMSG";
    // FormType: what the box says and the icon it shows. A question defaults to No, so that a
    // stray Enter never answers yes to a question that deletes or discards.
    enum Type : qint16 {
        TypeMessage = 0, // an error or a warning: the error icon, OK
        TypeQuestion = 1, // the question icon, Yes and No
        TypeInformation = 2, // a success: the information icon, OK
    };

    explicit comMSG(QObject *parent = nullptr);

    void setFormTitle(const QString &v) { m_title = v; }
    void setFormMessage(const QString &v) { m_message = v; }
    void setFormType(qint16 v) { m_type = v; }
    void setFormBackColor(quint32 v) { m_formBack = v; }
    void setBtmBackColor(quint32 v) { m_btmBack = v; }
    void setFrameBackColor(quint32 v) { m_frameBack = v; }
    QString FormTitle() const { return m_title; }
    QString FormMessage() const { return m_message; }
    qint16 FormType() const { return m_type; }
    quint32 FormBackColor() const { return m_formBack; }
    quint32 BtmBackColor() const { return m_btmBack; }
    quint32 FrameBackColor() const { return m_frameBack; }

    // Shows the box modally; returns when the user closes it.
    Q_INVOKABLE void ClearShow();
    // 1 yes, 0 no (also when the box was closed without an answer).
    int Resualt() const { return m_result; }

    // Test seam: while a responder is installed, ClearShow shows nothing; the responder gets the
    // box and returns the answer (1 yes, 0 no; ignored for type 0). nullptr removes it.
    using Responder = std::function<int(const MessageRecord &)>;
    static void setResponder(Responder responder);
    static Responder responder(); // the one installed, or nullptr

private:
    QString m_title, m_message;
    qint16 m_type = 0;
    quint32 m_formBack = 0, m_btmBack = 0, m_frameBack = 0;
    int m_result = 0;
};

} // namespace vela
