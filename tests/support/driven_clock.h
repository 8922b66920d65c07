#pragma once

#include "clock.h"

#include <chrono>
#include <thread>

namespace corvane::test {

// A clock the test drives: it advances by `step` at each reading and by the paused time at
// each pause. With a `speed`, a pause also lets real time pass, `speed` times shorter, so
// that real processes (the tool chain, stand-in scripts that sleep) keep their place
// relative to the build's waits. Pauses are paced against real time, not slept one by one:
// where sleeps are coarser than a pause (Windows rounds a sleep of half a millisecond down to
// none), the clock would otherwise run ahead of real time without bound.
class DrivenClock final : public Clock {
  public:
    explicit DrivenClock(double step = 0.0, double speed = 0.0) : step_(step), speed_(speed) {}
    double seconds() override {
        const double reading = now_;
        now_ += step_;
        return reading;
    }
    void pause(double seconds) override {
        now_ += seconds;
        if (speed_ > 0) {
            const std::chrono::duration<double> driven(now_ - kStart);
            std::this_thread::sleep_until(
                started_ +
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(driven / speed_));
        }
    }
    double now() const { return now_; }

  private:
    static constexpr double kStart = 1000.0;
    double now_ = kStart;
    double step_;
    double speed_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

// Twenty times real time: the build's two waits take a tenth of a second each, the tool
// chain's limit three seconds.
inline constexpr double kFastSpeed = 20.0;

} // namespace corvane::test
