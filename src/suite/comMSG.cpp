#include "comMSG.h"
#include "SuiteFont.h"
#include "shared/OleColor.h"

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vela {

namespace {

comMSG::Responder &installedResponder()
{
    static comMSG::Responder responder;
    return responder;
}

void fill(QWidget *w, quint32 ole)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, oleColor(ole));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QPushButton *addButton(QDialog &dlg, QHBoxLayout *strip, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, &dlg);
    b->setObjectName(QLatin1String(name));
    // Enter answers with the button that has the focus, the default one (OK, No) until the
    // user moves to another.
    b->setAutoDefault(true);
    b->setMinimumWidth(80);
    strip->addWidget(b);
    return b;
}

} // namespace

comMSG::comMSG(QObject *parent) : QObject(parent)
{
}

void comMSG::setResponder(Responder responder)
{
    installedResponder() = std::move(responder);
}

comMSG::Responder comMSG::responder()
{
    return installedResponder();
}

void comMSG::ClearShow()
{
    m_result = 0;
    if (Responder responder = installedResponder()) { // a copy: it may remove itself
        MessageRecord record {m_title, m_message, m_type, m_formBack, m_btmBack, m_frameBack};
        const int answer = responder(record);
        if (m_type == TypeQuestion)
            m_result = answer;
        return;
    }

    QDialog dlg(QApplication::activeWindow());
    dlg.setObjectName(QStringLiteral("comMSG"));
    applySuiteLook(&dlg);
    dlg.setWindowTitle(m_title);
    dlg.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    fill(&dlg, m_formBack);

    auto *outer = new QVBoxLayout(&dlg);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(10);

    auto *frame = new QFrame(&dlg);
    frame->setObjectName(QStringLiteral("frameMessage"));
    frame->setFrameShape(QFrame::StyledPanel);
    fill(frame, m_frameBack);
    auto *frameLayout = new QHBoxLayout(frame);
    frameLayout->setContentsMargins(12, 12, 12, 12);
    frameLayout->setSpacing(12);
    auto *icon = new QLabel(frame);
    icon->setObjectName(QStringLiteral("imgIcon"));
    const QStyle::StandardPixmap pixmap = m_type == TypeQuestion ? QStyle::SP_MessageBoxQuestion
        : m_type == TypeInformation                              ? QStyle::SP_MessageBoxInformation
                                                                 : QStyle::SP_MessageBoxCritical;
    const int iconSize = dlg.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dlg);
    icon->setPixmap(dlg.style()->standardIcon(pixmap, nullptr, &dlg).pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    frameLayout->addWidget(icon);
    auto *text = new QLabel(m_message, frame);
    text->setObjectName(QStringLiteral("lblMessage"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setLayoutDirection(Qt::RightToLeft);
    text->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    text->setMinimumWidth(280);
    text->setMaximumWidth(520);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    frameLayout->addWidget(text, 1);
    outer->addWidget(frame, 1);

    auto *strip = new QWidget(&dlg);
    strip->setObjectName(QStringLiteral("stripButtons"));
    fill(strip, m_btmBack);
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(8, 6, 8, 6);
    stripLayout->addStretch(1);
    if (m_type == TypeQuestion) {
        QPushButton *yes = addButton(dlg, stripLayout, "cmdYes", QStringLiteral("بله"));
        QPushButton *no = addButton(dlg, stripLayout, "cmdNo", QStringLiteral("خير"));
        no->setDefault(true);
        no->setFocus();
        QObject::connect(yes, &QPushButton::clicked, &dlg, &QDialog::accept);
        QObject::connect(no, &QPushButton::clicked, &dlg, &QDialog::reject);
    } else {
        QPushButton *ok = addButton(dlg, stripLayout, "cmdOK", QStringLiteral("تاييد"));
        ok->setDefault(true);
        ok->setFocus();
        QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
    }
    stripLayout->addStretch(1);
    outer->addWidget(strip);

    dlg.setSizeGripEnabled(false);
    dlg.layout()->setSizeConstraint(QLayout::SetFixedSize);
    // Escape rejects (no, or closed without an answer).
    const int code = dlg.exec();
    if (m_type == TypeQuestion && code == QDialog::Accepted)
        m_result = 1;
}

} // namespace vela
