#pragma once

#include <memory>
#include <string>
#include <vector>

class CMyCommandLineInfo;

// The application: decides whether this process runs at all (a running copy that lives in the tray
// takes over instead), reads the command line and runs the main window. The life of the program is
// the main window's modal run; Run returns the process's exit status.
class CConvertApp {
public:
    CConvertApp();
    ~CConvertApp();
    CConvertApp(const CConvertApp&) = delete;
    CConvertApp& operator=(const CConvertApp&) = delete;

    int Run(int argc, char** argv);

    // Asks every running copy; true when none took over. A copy that did is remembered (its socket).
    bool FindRunningInstance();

    // How long one running copy may take to answer, in milliseconds.
    static constexpr int kAskTimeoutMs = 3000;
    // How long start-up waits for another copy that is starting at the same moment.
    static constexpr int kStartLockTimeoutMs = 15000;

private:
    std::string m_instanceFolder;
};
