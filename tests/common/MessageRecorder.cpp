#include "MessageRecorder.h"

MessageRecorder::MessageRecorder() : m_previous(vela::comMSG::responder())
{
    vela::comMSG::setResponder([this](const vela::MessageRecord &box) { return respond(box); });
}

MessageRecorder::~MessageRecorder()
{
    vela::comMSG::setResponder(m_previous);
}

void MessageRecorder::answer(int a)
{
    m_default = a;
}

void MessageRecorder::queue(std::initializer_list<int> answers)
{
    for (int a : answers)
        m_queue.enqueue(a);
}

QStringList MessageRecorder::texts() const
{
    QStringList out;
    for (const vela::MessageRecord &b : boxes)
        out << b.text;
    return out;
}

int MessageRecorder::respond(const vela::MessageRecord &box)
{
    boxes.append(box);
    // Plain messages take no answer, so they leave the queue to the questions.
    if (box.type != 1)
        return 0;
    return m_queue.isEmpty() ? m_default : m_queue.dequeue();
}
