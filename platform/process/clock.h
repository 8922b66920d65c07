#pragma once

namespace corvane {

// A monotonic clock in seconds: the build's waits measure with it, so a change of the
// wall clock (or midnight) cannot shorten or stretch a wait. Tests inject a fake one.
class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary fixed point; never goes backwards.
    virtual double seconds() = 0;
    // Lets about `seconds` pass, so that a polling loop does not keep a core busy.
    virtual void pause(double seconds) = 0;
};

// The system's steady clock.
class SteadyClock final : public Clock {
  public:
    double seconds() override;
    void pause(double seconds) override;
};

} // namespace corvane
