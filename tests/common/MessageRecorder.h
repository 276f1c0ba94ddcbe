#pragma once
// Test fixture: while it lives, message boxes are not shown but recorded, and questions are
// answered from a queue (then with the default answer, yes unless told otherwise).
//
//     MessageRecorder messages;
//     messages.queue({0});            // the next question is answered "no"
//     form.cmdDelete_Click();
//     QCOMPARE(messages.boxes.size(), 1);
//     QCOMPARE(messages.boxes[0].type, 1);
#include "suite/comMSG.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <initializer_list>

struct MessageRecorder {
    QList<vela::MessageRecord> boxes;

    MessageRecorder();
    ~MessageRecorder(); // puts back the responder that was installed before
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    void answer(int a); // default answer: 1 yes, 0 no
    void queue(std::initializer_list<int> answers); // answers for the next questions, in order
    int pendingAnswers() const { return int(m_queue.size()); }

    int count() const { return int(boxes.size()); }
    vela::MessageRecord last() const
    {
        return boxes.isEmpty() ? vela::MessageRecord {} : boxes.last();
    }
    QStringList texts() const;
    void clear() { boxes.clear(); }

private:
    int respond(const vela::MessageRecord &box);
    int m_default = 1;
    QQueue<int> m_queue;
    vela::comMSG::Responder m_previous;
};
