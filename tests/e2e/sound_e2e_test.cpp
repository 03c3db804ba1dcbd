// Muting and giving the sound back, watched from outside. Under Wine the winmm mixer sets the
// program's own audio session, whose volume no other process can read; but Wine traces every
// such write on the program's standard error (WINEDEBUG=+pulse,+alsa):
//   trace:pulse:SimpleAudioVolume_SetMasterVolume (0x...)->(0.000000, (null))
// with the value as a fraction of 65535. These tests start kvr.exe with that trace going to a
// file and read the writes from it.
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "kvr_e2e.h"

namespace e2e {
namespace {

// Every volume written, in order, as the trace shows it (0..1).
std::vector<double> volumeWrites(const std::string& trace) {
    std::vector<double> writes;
    std::size_t at = 0;
    const std::string call = "SimpleAudioVolume_SetMasterVolume (";
    while ((at = trace.find(call, at)) != std::string::npos) {
        const std::size_t end = trace.find('\n', at);
        const std::string line = trace.substr(at, end == std::string::npos ? end : end - at);
        at += call.size();
        const std::size_t value = line.find(")->(");
        if (value != std::string::npos) writes.push_back(std::atof(line.c_str() + value + 4));
    }
    return writes;
}

std::string show(const std::vector<double>& writes) {
    std::string out = "{";
    for (double w : writes) {
        char text[32];
        std::snprintf(text, sizeof text, "%s%.6f", out.size() > 1 ? ", " : "", w);
        out += text;
    }
    return out + "}";
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Drive Z: is the Unix root in every Wine prefix.
std::string unixPath(const std::string& windows) {
    std::string path = windows.substr(2);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}
std::string windowsPath(const std::string& unix) {
    std::string path = "Z:" + unix;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Runs a command line on the Linux side (Wine starts ELF programs itself) and waits for it
// through a file it writes last, since such a process gives no handle to wait on. False when
// it did not finish in time or did not exit 0.
bool runUnix(const std::string& command, DWORD timeoutMs = 15000) {
    static int serial = 0;
    const std::string done = "/tmp/kvr-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++serial) + ".done";
    const std::string windowsDone = windowsPath(done);
    DeleteFileW(probe::widen(windowsDone).c_str());
    std::wstring line = probe::widen("Z:\\bin\\sh -c \"" + command + "; echo $? > " + done + "\"");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    std::optional<std::string> status;
    pumpUntil([&] { return (status = probe::readFile(windowsDone)) && !status->empty(); },
              timeoutMs);
    DeleteFileW(probe::widen(windowsDone).c_str());
    return status && status->rfind("0", 0) == 0;
}

bool pulseRunning() {
    return runUnix("pulseaudio --check");
}

class Sound : public KvrTest {
protected:
    probe::Process kvr;
    std::string tracePath;

    void SetUp() override {
        KvrTest::SetUp();
        if (HasFatalFailure()) return;
        // A new options key's SE and SR: every hide mutes, the volume comes back once nothing
        // is hidden.
        seed(kDefaults, {{"OO", "0"}, {"BxTA", "0"}, {"SE", "15"}, {"SR", "0"}});
    }
    void TearDown() override {
        if (kvr.running()) {
            EXPECT_TRUE(exitProgram(kvr));
            kvr.kill();
        }
        KvrTest::TearDown();
        if (!tracePath.empty()) DeleteFileW(probe::widen(tracePath).c_str());
    }

    // kvr.exe, with Wine's audio trace going to a file of ours. Wine writes its trace to the
    // Unix standard error, which a process started through Windows inherits from its parent
    // whatever its own standard handles: so the program is started from a Unix shell.
    void startTraced() {
        const std::string dir = probe::exeDir();
        ASSERT_EQ(dir.rfind("Z:\\", 0), 0u) << "not on Wine's drive of the Unix root: " << dir;
        static int serial = 0;
        const std::string unixTrace = "/tmp/kvr-e2e-sound-" +
                                      std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(++serial) + ".trace";
        tracePath = windowsPath(unixTrace);
        ASSERT_TRUE(runUnix("cd '" + unixPath(dir) +
                            "' && WINEDEBUG=+pulse,+alsa wine ./kvr.exe </dev/null >/dev/null 2>" +
                            unixTrace + " & true"));
        std::vector<DWORD> found;
        ASSERT_TRUE(pumpUntil([&] { return !(found = probe::processesNamed("kvr.exe")).empty(); },
                              kStartTimeoutMs))
            << "kvr.exe did not start";
        auto process = probe::openProcess(found.front());
        ASSERT_TRUE(process.has_value());
        kvr = std::move(*process);
        ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
    }

    std::string trace() { return probe::readFile(tracePath).value_or(""); }
    std::vector<double> writes() { return volumeWrites(trace()); }

    // Waits for the trace to hold exactly these writes (to the sixth decimal, as Wine prints).
    ::testing::AssertionResult writesAre(const std::vector<double>& want, const char* after) {
        auto same = [&] {
            const auto got = writes();
            if (got.size() != want.size()) return false;
            for (std::size_t i = 0; i < got.size(); ++i)
                if (got[i] < want[i] - 5e-7 || got[i] > want[i] + 5e-7) return false;
            return true;
        };
        if (pumpUntil(same, 5000)) {
            probe::pump(300);  // and nothing more follows
            if (same()) return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "volume writes after " << after << ": "
                                             << show(writes()) << ", expected " << show(want);
    }

    HWND target(const std::string& title, int slot) {
        HWND w = track(probe::createWindow("KvrE2eSound", title));
        if (w) MoveWindow(w, 40 + slot * 300, 60, 280, 200, TRUE);
        probe::pump(200);
        return w;
    }
};

TEST_F(Sound, HidingUnderTheMouseMutesAndShowingTheLastWindowGivesTheVolumeBack) {
    ASSERT_NO_FATAL_FAILURE(startTraced());
    EXPECT_TRUE(writesAre({}, "the start"));
    // Nothing of the sound is touched before the first mute, nor its libraries loaded: they
    // cost megabytes a program that never mutes need not pay.
    EXPECT_EQ(count(trace(), "AEV_SetMasterVolumeLevelScalar"), 0u) << trace();
    for (const char* library : {"winmm.dll", "ole32.dll"})
        EXPECT_EQ(probe::moduleLoaded(kvr.pid(), library), false) << library << " at the start";

    HWND w = target("Sound target", 0);
    ASSERT_TRUE(probe::moveMouseOver(w));
    press(16, 120);  // Shift+F9
    ASSERT_TRUE(becomes(w, false, "Shift+F9"));
    EXPECT_TRUE(writesAre({0.0}, "Shift+F9"));
    EXPECT_EQ(probe::moduleLoaded(kvr.pid(), "winmm.dll"), true) << "the mute's mixer";
    // The endpoint's volume is tried once, when the mixer first opens, and found not to work
    // here.
    press(17, 120);  // Ctrl+F9: show last
    ASSERT_TRUE(becomes(w, true, "Ctrl+F9"));
    // The program's session stood at full volume when it was muted.
    EXPECT_TRUE(writesAre({0.0, 1.0}, "Ctrl+F9"));
    EXPECT_EQ(count(trace(), "AEV_SetMasterVolumeLevelScalar"), 1u);
}

TEST_F(Sound, TheSoundHotkeyMutesAndRestores) {
    ASSERT_NO_FATAL_FAILURE(startTraced());
    press(18, 113);  // Alt+F2
    EXPECT_TRUE(writesAre({0.0}, "Alt+F2"));
    press(18, 113);
    EXPECT_TRUE(writesAre({0.0, 1.0}, "Alt+F2 twice"));
    press(18, 113);
    EXPECT_TRUE(writesAre({0.0, 1.0, 0.0}, "Alt+F2 three times"));
}

TEST_F(Sound, AnExitWhileMutedGivesTheVolumeBack) {
    ASSERT_NO_FATAL_FAILURE(startTraced());
    press(18, 113);  // Alt+F2
    ASSERT_TRUE(writesAre({0.0}, "Alt+F2"));
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_TRUE(writesAre({0.0, 1.0}, "the exit"));
}

// With SR 0 a show that leaves a window hidden ends the muted state and leaves the volume at
// 0, and the show of everything that follows has no muted state to end: the exit gives the
// volume back.
TEST_F(Sound, AnExitGivesBackTheVolumeAShowLeftAtZero) {
    ASSERT_NO_FATAL_FAILURE(startTraced());
    HWND a = target("First", 0);
    HWND b = target("Second", 1);
    for (HWND w : {a, b}) {
        ASSERT_TRUE(probe::moveMouseOver(w));
        press(16, 120);
        ASSERT_TRUE(becomes(w, false, "Shift+F9"));
    }
    ASSERT_TRUE(writesAre({0.0, 0.0}, "two hides"));
    press(17, 120);  // Ctrl+F9: one window left hidden
    ASSERT_TRUE(becomes(b, true, "Ctrl+F9"));
    press(17, 123);  // Ctrl+F12: show all
    ASSERT_TRUE(becomes(a, true, "Ctrl+F12"));
    EXPECT_TRUE(writesAre({0.0, 0.0}, "the shows"));
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_TRUE(writesAre({0.0, 0.0, 1.0}, "the exit"));
}

// Stops the sound server for the length of a test and starts it again as the test environment
// starts it.
class SoundServerStopped {
public:
    SoundServerStopped() {
        wasRunning_ = pulseRunning();
        // The daemon takes a moment to go after it is told to.
        if (wasRunning_ && runUnix("pulseaudio --kill")) {
            stopped_ = pumpUntil([] { return !pulseRunning(); }, 10000);
        }
    }
    ~SoundServerStopped() {
        if (!wasRunning_) return;
        runUnix(
            "HOME=$PULSE_RUNTIME_PATH pulseaudio -n --daemonize=yes --exit-idle-time=-1 "
            "--load=module-null-sink --load=module-native-protocol-unix >/dev/null 2>&1");
        EXPECT_TRUE(pulseRunning()) << "PulseAudio did not start again";
    }
    bool stopped() const { return stopped_; }

private:
    bool wasRunning_ = false;
    bool stopped_ = false;
};

TEST_F(Sound, WithPulseAudioStoppedTheProgramHidesShowsAndTogglesWithoutComplaint) {
    SoundServerStopped server;
    ASSERT_TRUE(server.stopped()) << "PulseAudio was not running or could not be stopped";
    ASSERT_NO_FATAL_FAILURE(startTraced());
    HWND w = target("Silent machine", 0);
    ASSERT_TRUE(probe::moveMouseOver(w));
    press(16, 120);
    ASSERT_TRUE(becomes(w, false, "Shift+F9"));
    press(17, 120);
    ASSERT_TRUE(becomes(w, true, "Ctrl+F9"));
    press(18, 113);
    press(18, 113);
    probe::pump(500);
    EXPECT_FALSE(probe::findMessageBox(kvr.pid(), 0)) << "the program said something";
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_EQ(writes(), std::vector<double>{});
    EXPECT_NE(trace().find("Connection refused"), std::string::npos)
        << "the program reached a sound server after all:\n"
        << trace();
}

}  // namespace
}  // namespace e2e
