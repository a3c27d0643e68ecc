// Serial ports through the Win32 communications API.

#include <windows.h>

#include <map>
#include <set>

#include "serial/device_name.h"
#include "serial/platform_comm.h"

namespace wb {

namespace {

HANDLE toHandle(CommHandle handle) { return reinterpret_cast<HANDLE>(handle); }

void fromDcb(const DCB& d, LineSettings& s) {
    s.baudRate = d.BaudRate;
    s.byteSize = d.ByteSize;
    s.parity = d.Parity;
    s.stopBits = d.StopBits;
    s.outxCtsFlow = d.fOutxCtsFlow != 0;
    s.outxDsrFlow = d.fOutxDsrFlow != 0;
    s.dtrControl = static_cast<std::uint8_t>(d.fDtrControl);
    s.dsrSensitivity = d.fDsrSensitivity != 0;
    s.outX = d.fOutX != 0;
    s.inX = d.fInX != 0;
    s.rtsControl = static_cast<std::uint8_t>(d.fRtsControl);
    s.binary = d.fBinary != 0;
    s.parityCheck = d.fParity != 0;
    s.txContinueOnXoff = d.fTXContinueOnXoff != 0;
    s.errorCharEnabled = d.fErrorChar != 0;
    s.discardNull = d.fNull != 0;
    s.abortOnError = d.fAbortOnError != 0;
    s.xonLim = d.XonLim;
    s.xoffLim = d.XoffLim;
    s.xonChar = d.XonChar;
    s.xoffChar = d.XoffChar;
    s.errorChar = d.ErrorChar;
    s.eofChar = d.EofChar;
    s.evtChar = d.EvtChar;
}

void toDcb(const LineSettings& s, DCB& d) {
    d.BaudRate = s.baudRate;
    d.ByteSize = s.byteSize;
    d.Parity = s.parity;
    d.StopBits = s.stopBits;
    d.fOutxCtsFlow = s.outxCtsFlow;
    d.fOutxDsrFlow = s.outxDsrFlow;
    d.fDtrControl = s.dtrControl & 3u;
    d.fDsrSensitivity = s.dsrSensitivity;
    d.fOutX = s.outX;
    d.fInX = s.inX;
    d.fRtsControl = s.rtsControl & 3u;
    d.fBinary = s.binary;
    d.fParity = s.parityCheck;
    d.fTXContinueOnXoff = s.txContinueOnXoff;
    d.fErrorChar = s.errorCharEnabled;
    d.fNull = s.discardNull;
    d.fAbortOnError = s.abortOnError;
    d.XonLim = s.xonLim;
    d.XoffLim = s.xoffLim;
    d.XonChar = s.xonChar;
    d.XoffChar = s.xoffChar;
    d.ErrorChar = s.errorChar;
    d.EofChar = s.eofChar;
    d.EvtChar = s.evtChar;
}

class Win32Comm final : public CommApi {
public:
    ~Win32Comm() override {
        // Handles abandoned after a failed close still hold a period.
        for (std::size_t i = 0; i < withPeriod_.size(); ++i) ::timeEndPeriod(1);
    }

    CommHandle openPort(const std::string& name) override {
        // Share mode 0: the open fails while another program holds the port.
        // Flags 0: every later call is synchronous.
        const std::string device = win32DeviceName(name);
        HANDLE h = ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            openFailure_ = failureOf(::GetLastError());
            return kInvalidCommHandle;
        }
        // The default timer period stretches Sleep(20) to about 31 ms, which
        // would make a 256-byte write last half as long again.
        if (::timeBeginPeriod(1) == TIMERR_NOERROR) withPeriod_.insert(h);
        return reinterpret_cast<CommHandle>(h);
    }

    bool getLineSettings(CommHandle handle, LineSettings& settings) override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(toHandle(handle), &dcb)) return false;
        lastRead_[toHandle(handle)] = dcb;
        fromDcb(dcb, settings);
        return true;
    }

    bool setLineSettings(CommHandle handle, const LineSettings& settings) override {
        // Start from the DCB as read, so that members LineSettings does not
        // carry (the reserved bits) are written back as they were.
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        const auto it = lastRead_.find(toHandle(handle));
        if (it != lastRead_.end()) {
            dcb = it->second;
        } else if (!::GetCommState(toHandle(handle), &dcb)) {
            return false;
        }
        toDcb(settings, dcb);
        return ::SetCommState(toHandle(handle), &dcb) != 0;
    }

    bool setTimeouts(CommHandle handle, const CommTimeouts& t) override {
        COMMTIMEOUTS ct{};
        ct.ReadIntervalTimeout = t.readIntervalTimeout;
        ct.ReadTotalTimeoutMultiplier = t.readTotalTimeoutMultiplier;
        ct.ReadTotalTimeoutConstant = t.readTotalTimeoutConstant;
        ct.WriteTotalTimeoutMultiplier = t.writeTotalTimeoutMultiplier;
        ct.WriteTotalTimeoutConstant = t.writeTotalTimeoutConstant;
        return ::SetCommTimeouts(toHandle(handle), &ct) != 0;
    }

    bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) override {
        DWORD n = 0;
        const BOOL ok = ::WriteFile(toHandle(handle), &byte, 1, &n, nullptr);
        written = n;
        if (ok == 0) ioFailure_ = ioFailureOf(::GetLastError());
        return ok != 0;
    }

    bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& got) override {
        DWORD n = 0;
        const BOOL ok = ::ReadFile(toHandle(handle), buffer, count, &n, nullptr);
        got = n;
        if (ok == 0) ioFailure_ = ioFailureOf(::GetLastError());
        return ok != 0;
    }

    bool closePort(CommHandle handle) override {
        HANDLE h = toHandle(handle);
        lastRead_.erase(h);
        if (!::CloseHandle(h)) return false;
        if (withPeriod_.erase(h) != 0) ::timeEndPeriod(1);
        return true;
    }

    void sleepMs(std::uint32_t milliseconds) override {
        if (milliseconds == 0) {
            ::Sleep(0);
            return;
        }
        // Sleep may wake up to a timer period early; the beacon's EEPROM
        // needs the whole pause, so measure and top it up.
        LARGE_INTEGER frequency{};
        LARGE_INTEGER start{};
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        const LONGLONG needed = frequency.QuadPart * milliseconds / 1000;
        ::Sleep(milliseconds);
        for (;;) {
            LARGE_INTEGER now{};
            ::QueryPerformanceCounter(&now);
            const LONGLONG left = needed - (now.QuadPart - start.QuadPart);
            if (left <= 0) return;
            ::Sleep(static_cast<DWORD>(left * 1000 / frequency.QuadPart) + 1);
        }
    }

    OpenFailure lastOpenFailure() const override { return openFailure_; }
    IoFailure lastIoFailure() const override { return ioFailure_; }

private:
    // A USB adapter pulled out fails the calls on its handle with these.
    static IoFailure ioFailureOf(DWORD error) {
        switch (error) {
        case ERROR_DEVICE_REMOVED:
        case ERROR_BAD_COMMAND:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_GEN_FAILURE:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_ACCESS_DENIED:
        case ERROR_OPERATION_ABORTED: return IoFailure::DeviceGone;
        default: return IoFailure::OtherError;
        }
    }

    static OpenFailure failureOf(DWORD error) {
        switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME: return OpenFailure::NoSuchPort;
        // With share mode 0, a port another program holds is refused with
        // "access denied": on a COM port that nearly always means busy.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return OpenFailure::Busy;
        default: return OpenFailure::Unknown;
        }
    }

    OpenFailure openFailure_ = OpenFailure::Unknown;
    IoFailure ioFailure_ = IoFailure::Unknown;
    std::map<HANDLE, DCB> lastRead_;
    std::set<HANDLE> withPeriod_;
};

}  // namespace

std::unique_ptr<CommApi> makePlatformComm() { return std::make_unique<Win32Comm>(); }

}  // namespace wb
