#include "platform/Icons.h"

#include <map>
#include <mutex>

namespace {

struct IconTable {
    std::mutex mutex;
    std::map<std::string, IconImage> resources;
    std::map<HICON, const IconImage*> handles;
    HICON next = 1;
};

IconTable& Table() {
    static IconTable table;
    return table;
}

} // namespace

void RegisterIconResource(const std::string& name, IconImage image) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    table.resources[name] = std::move(image);
}

HICON LoadIconA(HINSTANCE, const char* name) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = name ? table.resources.find(name) : table.resources.end();
    if (it == table.resources.end())
        return 0;
    HICON icon = table.next++;
    table.handles[icon] = &it->second;
    return icon;
}

BOOL DestroyIcon(HICON icon) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    return table.handles.erase(icon) ? TRUE : FALSE;
}

const IconImage* IconImageOf(HICON icon) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.handles.find(icon);
    return it == table.handles.end() ? nullptr : it->second;
}
