#include "sim/protocol/SharedArena.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Shared memory objects are named /varnel-arena-<uid>-<pid>.
constexpr const char* kNamePrefix = "/varnel-arena-";

// Arenas of this user whose process is gone: a process that was killed or crashed could not
// unlink its own, and each holds up to a megabyte of shared memory until the next boot.
void RemoveStaleArenas() {
    const std::string mine = std::string(kNamePrefix + 1) + std::to_string(getuid()) + "-";
    DIR* dir = opendir("/dev/shm");
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        const std::string file = entry->d_name;
        if (file.rfind(mine, 0) != 0)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(file.c_str() + mine.size(), &end, 10);
        if (pid <= 0 || *end != '\0' || pid == getpid())
            continue;
        if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            shm_unlink(("/" + file).c_str());
    }
    closedir(dir);
}

constexpr std::uint32_t kMagic = 0x4E524156; // "VARN"
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kEntries = 256;
constexpr std::size_t kDataSize = 1 << 20;
constexpr std::size_t kAlign = 16;
// Selectors as a protected-mode program sees them: multiples of 8 with the low bits 7 set.
constexpr std::uint16_t kFirstSelector = 0x0107;
constexpr std::uint16_t kLastSelector = 0xFFFF;

std::atomic<bool> allocationFault{false};

} // namespace

namespace simcard {

struct SharedArena::Entry {
    std::uint16_t selector; // 0: unused
    std::uint16_t pinned;
    std::uint32_t offset;
    std::uint32_t size;
};

struct SharedArena::Header {
    std::uint32_t magic;
    std::uint32_t version;
    std::uint32_t dataSize;
    std::uint16_t nextSelector;
    std::uint16_t reserved;
    Entry entries[kEntries];
};

namespace {
constexpr std::size_t kHeaderSize = (sizeof(SharedArena::Header) + kAlign - 1) / kAlign * kAlign;
} // namespace

SharedArena::SharedArena(std::string name, void* base, std::size_t size, bool owner)
    : name_(std::move(name)), base_(base), size_(size), owner_(owner) {}

SharedArena::~SharedArena() {
    munmap(base_, size_);
    if (owner_)
        shm_unlink(name_.c_str());
}

SharedArena* SharedArena::Own() {
    static std::once_flag once;
    static std::unique_ptr<SharedArena> own;
    std::call_once(once, [] {
        RemoveStaleArenas();
        // The user's id in the name: an arena a killed process of another user left under our
        // pid can be neither removed nor reused by us, and would leave this process without one.
        const std::string name =
            std::string(kNamePrefix) + std::to_string(getuid()) + "-" + std::to_string(getpid());
        shm_unlink(name.c_str()); // a stale arena of a dead process of ours with our pid
        int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            std::fprintf(stderr, "cannot create the shared arena %s: %s\n", name.c_str(),
                         std::strerror(errno));
            return;
        }
        std::size_t size = kHeaderSize + kDataSize;
        void* base = MAP_FAILED;
        if (fchmod(fd, 0600) == 0 && ftruncate(fd, static_cast<off_t>(size)) == 0)
            base = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        close(fd);
        if (base == MAP_FAILED) {
            shm_unlink(name.c_str());
            return;
        }
        auto* header = static_cast<Header*>(base);
        header->magic = kMagic;
        header->version = kVersion;
        header->dataSize = kDataSize;
        header->nextSelector = kFirstSelector;
        own.reset(new SharedArena(name, base, size, true));
        // Children (the configuration process) find the arena through their environment; the
        // object is unlinked when the process ends normally.
        setenv(kEnvironmentName, name.c_str(), 1);
    });
    return own.get();
}

std::unique_ptr<SharedArena> SharedArena::Attach(const std::string& name, std::string& error) {
    if (name.empty() || name[0] != '/' || name.find('/', 1) != std::string::npos) {
        error = "not an arena name: \"" + name + "\"";
        return nullptr;
    }
    int fd = shm_open(name.c_str(), O_RDWR, 0);
    if (fd < 0) {
        error = "cannot open the arena " + name + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    void* base = MAP_FAILED;
    if (fstat(fd, &st) == 0 && static_cast<std::size_t>(st.st_size) >= kHeaderSize)
        base = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ | PROT_WRITE,
                    MAP_SHARED, fd, 0);
    close(fd);
    if (base == MAP_FAILED) {
        error = "cannot map the arena " + name;
        return nullptr;
    }
    auto* header = static_cast<Header*>(base);
    auto size = static_cast<std::size_t>(st.st_size);
    if (header->magic != kMagic || header->version != kVersion ||
        kHeaderSize + header->dataSize > size) {
        munmap(base, size);
        error = "not an arena of this program: " + name;
        return nullptr;
    }
    return std::unique_ptr<SharedArena>(new SharedArena(name, base, size, false));
}

void SharedArena::SetAllocationFault(bool on) {
    allocationFault = on;
}

SharedArena::Entry* SharedArena::FindEntry(std::uint32_t address) {
    auto selector = static_cast<std::uint16_t>(address >> 16);
    if (selector == 0)
        return nullptr;
    auto* header = static_cast<Header*>(base_);
    for (auto& e : header->entries)
        if (e.selector == selector)
            return &e;
    return nullptr;
}

std::uint32_t SharedArena::Allocate(std::uint32_t size, bool zeroInit) {
    if (allocationFault || size == 0 || size > kMaxBlockSize)
        return 0;
    auto* header = static_cast<Header*>(base_);
    Entry* slot = nullptr;
    for (auto& e : header->entries)
        if (e.selector == 0) {
            slot = &e;
            break;
        }
    if (!slot)
        return 0;

    // First fit among the gaps between live blocks.
    std::uint32_t rounded = static_cast<std::uint32_t>((size + kAlign - 1) / kAlign * kAlign);
    std::uint32_t candidate = 0;
    for (bool moved = true; moved;) {
        moved = false;
        for (const auto& e : header->entries) {
            if (e.selector == 0)
                continue;
            std::uint32_t end = e.offset + (e.size + kAlign - 1) / kAlign * kAlign;
            if (candidate < end && e.offset < candidate + rounded) {
                candidate = end;
                moved = true;
            }
        }
    }
    if (candidate + rounded > header->dataSize)
        return 0;

    // A fresh selector, so that the address of a freed block does not at once name a new one.
    std::uint16_t selector = header->nextSelector;
    for (;;) {
        bool used = false;
        for (const auto& e : header->entries)
            used = used || e.selector == selector;
        if (!used)
            break;
        selector = selector >= kLastSelector - 8 ? kFirstSelector
                                                 : static_cast<std::uint16_t>(selector + 8);
    }
    header->nextSelector =
        selector >= kLastSelector - 8 ? kFirstSelector : static_cast<std::uint16_t>(selector + 8);

    *slot = Entry{selector, 0, candidate, size};
    if (zeroInit)
        std::memset(static_cast<char*>(base_) + kHeaderSize + candidate, 0, size);
    return static_cast<std::uint32_t>(selector) << 16;
}

bool SharedArena::Free(std::uint32_t address) {
    Entry* e = FindEntry(address);
    if (!e || (address & 0xFFFF) != 0)
        return false;
    *e = Entry{};
    return true;
}

void* SharedArena::Pointer(std::uint32_t address, std::uint32_t size) {
    Entry* e = FindEntry(address);
    std::uint32_t offset = address & 0xFFFF;
    if (!e || offset > e->size || size > e->size - offset)
        return nullptr;
    return static_cast<char*>(base_) + kHeaderSize + e->offset + offset;
}

bool SharedArena::Pin(std::uint32_t address) {
    Entry* e = FindEntry(address);
    if (!e)
        return false;
    ++e->pinned;
    return true;
}

bool SharedArena::Unpin(std::uint32_t address) {
    Entry* e = FindEntry(address);
    if (!e || e->pinned == 0)
        return false;
    --e->pinned;
    return true;
}

void* SharedArena::BlockAt(std::uint32_t address, std::uint32_t size, std::string& why) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", address);
    Entry* e = FindEntry(address);
    if (!e) {
        why = std::string("no live block at ") + text;
        return nullptr;
    }
    if ((address & 0xFFFF) != 0) {
        why = std::string("address ") + text + " is not the start of a block";
        return nullptr;
    }
    if (e->size != size) {
        why = std::string("the block at ") + text + " holds " + std::to_string(e->size) +
              " bytes, not " + std::to_string(size);
        return nullptr;
    }
    return Pointer(address, size);
}

std::size_t SharedArena::LiveBlocks() const {
    std::size_t n = 0;
    for (const auto& e : static_cast<const Header*>(base_)->entries)
        n += e.selector != 0;
    return n;
}

} // namespace simcard
