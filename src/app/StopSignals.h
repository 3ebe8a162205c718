#pragma once

// Ctrl-C, SIGTERM and SIGHUP asking the command-line stamper to stop. While
// an object lives these signals are remembered instead of ending the process
// at once, so that the run can finish or abandon its current photo and remove
// its temporary files; a wait they interrupt returns (calls are not
// restarted). One object at a time.
class TStopSignals {
  public:
    TStopSignals();
    // Puts the previous handlers back.
    ~TStopSignals();
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    // The first of the signals caught, or 0.
    static int Caught();
    // The exit status that reports it: 128 + its number (130, 143, 129).
    static int ExitStatus() { return 128 + Caught(); }
};
