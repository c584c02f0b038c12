#pragma once

namespace chronova::platform {

/// Thrown at a check point of work that a signal asked to stop. It is not a std::exception on purpose: no handler
/// of ordinary errors takes it for a failure and carries on, so it unwinds to the program's main, and every
/// destructor on the way removes what it would otherwise leave behind.
class Interrupted {
public:
    explicit Interrupted(int signal) noexcept : signal_(signal) {}
    int Signal() const noexcept { return signal_; }
    /// 128 + the signal's number, the status a shell shows for a program a signal ended: 130 for SIGINT, 143 for
    /// SIGTERM.
    int ExitStatus() const noexcept { return 128 + signal_; }

private:
    int signal_;
};

/// Makes SIGINT, SIGTERM and SIGHUP stop the process cleanly (a signal ignored when the program started stays
/// ignored). A signal that comes while no UnfinishedFile exists ends the process at once, writing
/// "<program>: interrupted" on standard error and exiting with 128 + its number: nothing is left to clean up.
/// Otherwise the signal is noted and the work stops at its next check point (ThrowIfInterrupted), unwinding through
/// the destructors that remove the unfinished files. A second signal ends the process at once, by the signal's
/// default action, for a user who will not wait for the clean-up. program must outlive the process (a literal).
void StopCleanlyOnSignals(const char* program);

/// The signal that asked the work to stop; 0 while none came.
int InterruptingSignal() noexcept;

/// Throws Interrupted when a signal asked the work to stop. Long work calls it between its steps.
void ThrowIfInterrupted();

/// Marks a file that must not be left behind while it exists: a temporary file before it is renamed over its
/// target. While any UnfinishedFile lives, a signal waits for the next check point instead of ending the process,
/// so take one before the file is created and let it go once the file is renamed or removed.
class UnfinishedFile {
public:
    UnfinishedFile() noexcept;
    ~UnfinishedFile();
    UnfinishedFile(const UnfinishedFile&) = delete;
    UnfinishedFile& operator=(const UnfinishedFile&) = delete;
};

} // namespace chronova::platform
