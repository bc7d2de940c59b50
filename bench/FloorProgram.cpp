// The floors the desktop figures stand beside: the least a Qt 6 Widgets program of ours does for
// the same job on the same X server, with nothing of the manager in it.
//
// Usage: bench_floor start | window | meters SCRIPT
//   start          maps a 48 × 48 window and ends once it has been painted (the start floor);
//   window         shows the same window until it is ended (its resident memory is the memory
//                  floor);
//   meters SCRIPT  shows 32 level bars laid out as the ADAT Inputs of four cards and repaints the
//                  lamp changes SCRIPT lists (see MeterScript.h), each poll's on a 100 ms timer and
//                  each decay tick's on a 40 ms timer, gathered into at most one paint per 16 ms
//                  frame, as the manager's windows do (the metering floor).

#include "MeterScript.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

constexpr int kStandInSize = 48;

// A bar as the channel windows design it: 18 × 163, lamps 5 high sharing their outlines.
constexpr int kBarWidth = 18;
constexpr int kBarHeight = 163;
constexpr int kLumiHeight = 5;
constexpr int kPairsPerCard = 4;
constexpr int kStripWidth = 312;
constexpr int kPairWidth = 66;

class MeterWindow : public QWidget {
public:
    explicit MeterWindow(bench::MeterScript script) : script_(std::move(script)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setWindowTitle(QStringLiteral("floor"));
        lit_.assign(static_cast<std::size_t>(script_.meters * script_.lamps), false);
        resize(kStripWidth * script_.meters / (2 * kPairsPerCard) + 16, kBarHeight + 40);
        frame_.setSingleShot(true);
        frame_.setTimerType(Qt::PreciseTimer);
        connect(&frame_, &QTimer::timeout, this, [this] { Flush(); });
        for (auto [timer, kind, ms] : {std::tuple{&poll_, bench::MeterEvent::Poll, 100},
                                       std::tuple{&decay_, bench::MeterEvent::Decay, 40}}) {
            timer->setTimerType(Qt::PreciseTimer);
            connect(timer, &QTimer::timeout, this, [this, kind] { Step(kind); });
            timer->start(ms);
        }
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        // A paint of the changed lamps alone paints just those; anything else (an expose) paints
        // all that it covers.
        if ((event->region() - painted_).isEmpty()) {
            for (const bench::LampChange& lamp : changed_)
                PaintLamp(p, lamp.meter, lamp.lamp);
        } else {
            PaintAll(p, event->region());
        }
        changed_.clear();
        painted_ = QRegion();
    }

private:
    std::size_t Index(int meter, int lamp) const {
        return static_cast<std::size_t>(meter * script_.lamps + lamp);
    }
    QRect BarRect(int meter) const {
        const int pair = meter / 2;
        return QRect(8 + pair / kPairsPerCard * kStripWidth + pair % kPairsPerCard * kPairWidth +
                         meter % 2 * 22,
                     24, kBarWidth, kBarHeight);
    }
    QRect LampRect(int meter, int lamp) const {
        const QRect bar = BarRect(meter);
        return QRect(bar.left() + 1, bar.top() + kBarHeight - kLumiHeight - 2 - lamp * 4,
                     kBarWidth - 3, kLumiHeight);
    }
    void PaintLamp(QPainter& p, int meter, int lamp) const {
        QColor fill = Qt::gray;
        if (lit_[Index(meter, lamp)])
            fill = lamp == script_.lamps - 1    ? QColor(255, 0, 0)
                   : lamp >= script_.lamps - 13 ? QColor(255, 128, 0)
                                                : QColor(0, 255, 0);
        const QRect rect = LampRect(meter, lamp);
        p.fillRect(rect, Qt::black);
        p.fillRect(rect.adjusted(1, 1, -1, -1), fill);
    }
    void PaintAll(QPainter& p, const QRegion& region) const {
        p.fillRect(region.boundingRect(), palette().window());
        for (int m = 0; m < script_.meters; ++m) {
            const QRect bar = BarRect(m);
            if (!region.intersects(bar))
                continue;
            p.setPen(Qt::darkGray);
            p.drawLine(bar.topLeft(), bar.topRight());
            p.drawLine(bar.topLeft(), bar.bottomLeft());
            p.setPen(Qt::white);
            p.drawLine(bar.bottomLeft(), bar.bottomRight());
            p.drawLine(bar.topRight(), bar.bottomRight());
            for (int l = 0; l < script_.lamps; ++l)
                PaintLamp(p, m, l);
        }
    }

    // The next event of its kind, from the start again at the end of the script.
    void Step(bench::MeterEvent kind) {
        const auto& events = script_.Of(kind);
        std::size_t& next = kind == bench::MeterEvent::Poll ? nextPoll_ : nextDecay_;
        if (events.empty())
            return;
        for (const bench::LampChange& change : events[next % events.size()]) {
            lit_[Index(change.meter, change.lamp)] = change.on;
            dirty_ += LampRect(change.meter, change.lamp);
            changed_.push_back(change);
        }
        ++next;
        if (!dirty_.isEmpty() && !frame_.isActive()) {
            const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : 16;
            frame_.start(static_cast<int>(std::max<qint64>(0, 16 - since)));
        }
    }
    void Flush() {
        sinceFlush_.restart();
        update(dirty_);
        painted_ += dirty_;
        dirty_ = QRegion();
    }

    bench::MeterScript script_;
    std::vector<bool> lit_;
    std::size_t nextPoll_ = 0;
    std::size_t nextDecay_ = 0;
    QTimer poll_, decay_, frame_;
    QRegion dirty_;
    // Handed to Qt and not painted yet: the lamps and their region.
    std::vector<bench::LampChange> changed_;
    QRegion painted_;
    QElapsedTimer sinceFlush_;
};

// A small window that ends the program after its first paint, when `endAfterPaint` is set.
class SmallWindow : public QWidget {
public:
    explicit SmallWindow(bool endAfterPaint) : endAfterPaint_(endAfterPaint) {
        setFixedSize(kStandInSize, kStandInSize);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Qt::darkCyan);
        if (endAfterPaint_)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

private:
    bool endAfterPaint_;
};

int Usage() {
    std::fprintf(stderr, "usage: bench_floor start | window | meters SCRIPT\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const std::string mode = argv[1];
    if (mode == "meters") {
        if (argc != 3)
            return Usage();
        std::ifstream file(argv[2]);
        std::stringstream text;
        text << file.rdbuf();
        std::string error;
        std::optional<bench::MeterScript> script = bench::MeterScript::Parse(text.str(), &error);
        if (!script) {
            std::fprintf(stderr, "bench_floor: %s: %s\n", argv[2], error.c_str());
            return 1;
        }
        QApplication app(argc, argv);
        MeterWindow window(std::move(*script));
        window.show();
        return app.exec();
    }
    if ((mode != "start" && mode != "window") || argc != 2)
        return Usage();
    QApplication app(argc, argv);
    SmallWindow window(mode == "start");
    window.show();
    return app.exec();
}
