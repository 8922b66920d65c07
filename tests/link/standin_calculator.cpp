// A stand-in TI-83 / TI-83 Plus: plays the calculator's side of a silent variable transfer on
// the link libraries' virtual link (second end) and reports what it stored.
//
//   standin_calculator MODE [SECONDS]
//
// MODE says how it answers: store (accepts the variables), slow (accepts them after a second
// of thought each), full (out of memory), skip (skips them), exit (its user ends the
// transfer), busy (not ready), silent (never answers), mute (falls silent once the program's bytes
// have come). SECONDS bounds how long it waits for the computer. It closes once the computer has
// been quiet for 250 ms after its last packet: the computer's end of the link reads nothing once
// this end has closed, so the answers it has not read yet need that time. (The computer's EOT
// cannot end it sooner: it is often lost as the computer closes, and a further RTS may follow.)
// It prints "ready" once its end of the link is open, a line "stored NAME TYPE HEXBYTES" for each
// variable it stored, and "end" when it closes.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <thread>
#include <ticables.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kRts = 0xC9, kAck = 0x56, kCts = 0x09, kData = 0x15, kEot = 0x92,
                       kReady = 0x68, kSkip = 0x36;
constexpr std::uint8_t kReasonExit = 0x01, kReasonSkip = 0x02, kReasonOutOfMemory = 0x03;

struct Packet {
    std::uint8_t machine = 0;
    std::uint8_t command = 0;
    Bytes data;
};

class Link {
  public:
    explicit Link(CableHandle* cable) : cable_(cable) {}

    // Waits for the next packet until `deadline`; false when none came or it was cut short.
    bool receive(Packet& packet, Clock::time_point deadline) {
        CableStatus status = STATUS_NONE;
        while (status != STATUS_RX) {
            if (Clock::now() > deadline || ticables_cable_check(cable_, &status) != 0) {
                return false;
            }
            if (status != STATUS_RX) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        std::uint8_t header[4];
        if (ticables_cable_recv(cable_, header, 4) != 0) {
            return false;
        }
        packet.machine = header[0];
        packet.command = header[1];
        packet.data.clear();
        const bool hasData = packet.command == kRts || packet.command == kData;
        if (hasData) {
            const std::size_t length = header[2] | (header[3] << 8);
            Bytes body(length + 2);
            if (ticables_cable_recv(cable_, body.data(), static_cast<uint32_t>(body.size())) != 0) {
                return false;
            }
            body.resize(length);
            packet.data = std::move(body);
        }
        return true;
    }

    void send(std::uint8_t machine, std::uint8_t command, const Bytes& data = {},
              std::uint16_t word = 0) {
        Bytes packet{machine, command};
        if (data.empty()) {
            packet.push_back(static_cast<std::uint8_t>(word & 0xFF));
            packet.push_back(static_cast<std::uint8_t>(word >> 8));
        } else {
            unsigned sum = 0;
            for (std::uint8_t byte : data) {
                sum += byte;
            }
            packet.push_back(static_cast<std::uint8_t>(data.size() & 0xFF));
            packet.push_back(static_cast<std::uint8_t>(data.size() >> 8));
            packet.insert(packet.end(), data.begin(), data.end());
            packet.push_back(static_cast<std::uint8_t>(sum & 0xFF));
            packet.push_back(static_cast<std::uint8_t>((sum >> 8) & 0xFF));
        }
        ticables_cable_send(cable_, packet.data(), static_cast<uint32_t>(packet.size()));
    }

  private:
    CableHandle* cable_;
};

std::string hex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text.empty() ? "-" : text;
}

// The calculator's machine ID answering a computer's one: 0x03 -> 0x83 (TI-83), 0x23 -> 0x73.
std::uint8_t answerId(std::uint8_t computer) {
    return computer == 0x03 ? 0x83 : 0x73;
}

// The computer's end of the virtual link keeps a reading descriptor on the pipe it writes to
// (/tmp/.vlc_0_1), so bytes a calculator never read, from a transfer that ended early, wait
// there for the next one. They are dropped before this end opens.
void dropStaleBytes() {
    const int pipe = ::open("/tmp/.vlc_0_1", O_RDONLY | O_NONBLOCK);
    if (pipe < 0) {
        return;
    }
    char buffer[4096];
    while (::read(pipe, buffer, sizeof buffer) > 0) {
    }
    ::close(pipe);
}

// Answers the computer until `deadline`, printing a line for every variable stored.
void converse(Link& link, std::string_view mode, Clock::time_point deadline) {
    std::string name;
    unsigned type = 0;
    Packet packet;
    // Once the computer has spoken, 250 ms of silence means it is done.
    auto until = deadline;
    while (link.receive(packet, until)) {
        const std::uint8_t me = answerId(packet.machine);
        switch (packet.command) {
        case kReady:
            link.send(me, kAck, {}, mode == "busy" ? 0x0100 : 0);
            break;
        case kRts:
            if (packet.data.size() < 11) {
                return;
            }
            type = packet.data[2];
            name.clear();
            for (std::size_t i = 3; i < 11 && packet.data[i] != 0; ++i) {
                name += static_cast<char>(packet.data[i]);
            }
            link.send(me, kAck);
            if (mode == "full" || mode == "skip" || mode == "exit") {
                link.send(me, kSkip,
                          {mode == "full"   ? kReasonOutOfMemory
                           : mode == "exit" ? kReasonExit
                                            : kReasonSkip});
            } else {
                if (mode == "slow") {
                    std::this_thread::sleep_for(std::chrono::seconds(1));
                }
                link.send(me, kCts);
            }
            break;
        case kData:
            if (mode == "mute") {
                break;
            }
            link.send(me, kAck);
            std::printf("stored %s %u %s\n", name.c_str(), type, hex(packet.data).c_str());
            std::fflush(stdout);
            break;
        default: // the computer's ACKs and its EOT, which is never answered
            break;
        }
        until = std::min(deadline, Clock::now() + std::chrono::milliseconds(250));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: standin_calculator store|slow|full|skip|exit|busy|silent|mute [SECONDS]\n");
        return 2;
    }
    const std::string_view mode = argv[1];
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    dropStaleBytes();
    ticables_library_init();
    CableHandle* cable = ticables_handle_new(CABLE_TIE, PORT_2);
    ticables_options_set_timeout(cable, 10);
    if (ticables_cable_open(cable) != 0) {
        std::fprintf(stderr, "standin_calculator: cannot open the virtual link\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    if (mode == "silent") {
        std::this_thread::sleep_until(deadline);
    } else {
        Link link(cable);
        converse(link, mode, deadline);
    }
    std::printf("end\n");
    std::fflush(stdout);
    ticables_cable_close(cable);
    ticables_handle_del(cable);
    ticables_library_exit();
    return 0;
}
