#pragma once
// Qt's event loop joined to the program's message queue: every step of the program's loops (the
// main loop and every nested modal one) lets Qt handle its input and painting, waiting for work
// happens inside Qt, and a message posted from any thread wakes Qt.

#include "platform/MessageQueue.h"

#include <QElapsedTimer>

class QAbstractEventDispatcher;

class QtEventPump : public IEventPump {
public:
    QtEventPump();
    void Poll() override;
    void WaitForEvents() override;
    void Wake() override;

    // A busy queue still lets Qt run at least this often.
    static constexpr int kPollMs = 4;

private:
    QAbstractEventDispatcher* dispatcher_;
    QElapsedTimer sincePoll_;
};
