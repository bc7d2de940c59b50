#include "backends/qt/QtEventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

QtEventPump::QtEventPump()
    : dispatcher_(QAbstractEventDispatcher::instance(QThread::currentThread())) {
    sincePoll_.start();
}

void QtEventPump::Poll() {
    if (sincePoll_.elapsed() < kPollMs)
        return;
    sincePoll_.restart();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::WaitForEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    sincePoll_.restart();
}

void QtEventPump::Wake() {
    if (dispatcher_)
        dispatcher_->wakeUp();
}
