#include "win32/winsock_connection.h"

#include <ws2tcpip.h>

#include <thread>

#include "win32/wide.h"

namespace korrin::win32 {

// A host name lookup on its way back from its thread to the window.
struct Lookup {
    unsigned generation;
    std::string host;
    std::string port;
    HWND target;
    addrinfo* result = nullptr;
    int error = 0;
};

namespace {

constexpr UINT kLookedUp = WM_APP + 1;
constexpr UINT kSocketEvent = WM_APP + 2;
constexpr UINT kNoHost = WM_APP + 3;

const wchar_t* const kClassName = L"KorrinSocketMessages";

std::string Reason(int error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason(text != nullptr ? text : L"", length);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' ||
                               reason.back() == L' ' || reason.back() == L'.')) {
        reason.pop_back();
    }
    if (reason.empty()) return "Network error " + std::to_string(error);
    return Latin1(reason);
}

void LookUp(Lookup* lookup) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    lookup->error =
        getaddrinfo(lookup->host.c_str(), lookup->port.c_str(), &hints, &lookup->result);
    if (!PostMessageW(lookup->target, kLookedUp, 0, reinterpret_cast<LPARAM>(lookup))) {
        // The window is gone, and the connection with it.
        if (lookup->result != nullptr) freeaddrinfo(lookup->result);
        delete lookup;
    }
}

}  // namespace

WinsockConnection::WinsockConnection(Events events) : events_(std::move(events)) {
    static const ATOM registered = [] {
        WNDCLASSW type{};
        type.lpfnWndProc = &WinsockConnection::MessageProc;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = kClassName;
        return RegisterClassW(&type);
    }();
    (void)registered;
    messages_ = CreateWindowExW(0, kClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(messages_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinsockConnection::~WinsockConnection() {
    Close();
    // A lookup still under way when its window goes finds no window to post to and frees itself;
    // one already posted is dropped with the window's queue, a small loss only at exit.
    DestroyWindow(messages_);
}

void WinsockConnection::Connect(const std::string& host, int port) {
    Close();
    remoteHost_ = host;
    if (host.empty()) {
        PostMessageW(messages_, kNoHost, generation_, 0);
        return;
    }
    auto* lookup = new Lookup{generation_, host, std::to_string(port), messages_};
    std::thread(LookUp, lookup).detach();
}

void WinsockConnection::SendData(std::string_view data) {
    if (socket_ == INVALID_SOCKET) return;
    unsent_.append(data);
    Flush();
}

std::string WinsockConnection::GetData() {
    std::string data;
    data.swap(received_);
    return data;
}

void WinsockConnection::Close() {
    ++generation_;
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
    if (addresses_ != nullptr) freeaddrinfo(addresses_);
    addresses_ = nextAddress_ = nullptr;
    connected_ = false;
    received_.clear();
    unsent_.clear();
}

LRESULT CALLBACK WinsockConnection::MessageProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    auto* self = reinterpret_cast<WinsockConnection*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case kLookedUp:
            if (self != nullptr) {
                self->OnLookedUp(reinterpret_cast<Lookup*>(lParam));
            } else {
                delete reinterpret_cast<Lookup*>(lParam);
            }
            return 0;
        case kSocketEvent:
            if (self != nullptr) {
                self->OnSocket(static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam),
                               WSAGETSELECTERROR(lParam));
            }
            return 0;
        case kNoHost:
            if (self != nullptr && wParam == self->generation_) {
                self->Fail("No host name was given");
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void WinsockConnection::OnLookedUp(Lookup* lookup) {
    const bool current = lookup->generation == generation_;
    addrinfo* result = lookup->result;
    const int error = lookup->error;
    delete lookup;
    if (!current) {
        if (result != nullptr) freeaddrinfo(result);
        return;
    }
    if (error != 0) {
        Fail(Reason(error));
        return;
    }
    addresses_ = nextAddress_ = result;
    TryNextAddress(WSAHOST_NOT_FOUND);
}

// Tries the looked-up addresses in the resolver's order; the first that answers is used.
void WinsockConnection::TryNextAddress(int lastError) {
    while (nextAddress_ != nullptr) {
        const addrinfo* address = nextAddress_;
        nextAddress_ = nextAddress_->ai_next;
        const SOCKET s = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (s == INVALID_SOCKET) {
            lastError = WSAGetLastError();
            continue;
        }
        // Also makes the socket non-blocking, so connect returns at once.
        WSAAsyncSelect(s, messages_, kSocketEvent, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
        if (connect(s, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0 ||
            WSAGetLastError() == WSAEWOULDBLOCK) {
            socket_ = s;
            return;
        }
        lastError = WSAGetLastError();
        closesocket(s);
    }
    Fail(Reason(lastError));
}

void WinsockConnection::OnSocket(SOCKET s, int event, int error) {
    if (s != socket_) return;  // a message of a socket already dropped
    switch (event) {
        case FD_CONNECT:
            if (error != 0) {
                closesocket(socket_);
                socket_ = INVALID_SOCKET;
                TryNextAddress(error);
                return;
            }
            connected_ = true;
            events_.connected();
            return;
        case FD_WRITE:
            Flush();
            return;
        case FD_READ:
            if (ReadSome()) events_.dataArrival(received_.size());
            return;
        case FD_CLOSE: {
            if (error != 0) {
                Fail(Reason(error));
                return;
            }
            // Bytes that came with the end of the connection are offered before the close.
            while (ReadSome()) {
            }
            const unsigned generation = generation_;
            if (!received_.empty()) events_.dataArrival(received_.size());
            if (generation != generation_) return;  // dropped by whoever took the bytes
            Close();
            events_.closed();
            return;
        }
        default:
            return;
    }
}

bool WinsockConnection::ReadSome() {
    char buffer[64 * 1024];
    const int got = recv(socket_, buffer, sizeof buffer, 0);
    if (got <= 0) return false;
    received_.append(buffer, static_cast<std::size_t>(got));
    return true;
}

void WinsockConnection::Flush() {
    while (!unsent_.empty() && connected_) {
        const int sent = send(socket_, unsent_.data(), static_cast<int>(unsent_.size()), 0);
        if (sent <= 0) return;  // the rest goes when Winsock says it can take more (FD_WRITE)
        unsent_.erase(0, static_cast<std::size_t>(sent));
    }
}

void WinsockConnection::Fail(const std::string& reason) {
    Close();
    events_.error(reason);
}

}  // namespace korrin::win32
