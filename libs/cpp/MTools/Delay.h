#pragma once

namespace MTools {

// Waits while the event loop keeps running: the GUI stays responsive and
// posted events (simulated clicks, timers, Stop) are delivered meanwhile.
// Never sleeps the thread. A negative time counts as zero.
class Delay
{
public:
    static void delay(int milliseconds);
};

} // namespace MTools
