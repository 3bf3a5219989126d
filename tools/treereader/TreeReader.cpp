#include "treereader/TreeReader.h"

#include <cstring>

namespace {

const SIZE_T MEMORY_SIZE = 4096;
const int TEXT_SIZE = 1024;

} // namespace

TreeReader::TreeReader(HWND tree) : _tree(tree)
{
    DWORD id = 0;
    ::GetWindowThreadProcessId(tree, &id);
    _process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    _memory = static_cast<char*>(::VirtualAllocEx(_process, nullptr, MEMORY_SIZE, MEM_COMMIT, PAGE_READWRITE));
}

TreeReader::~TreeReader()
{
    ::VirtualFreeEx(_process, _memory, 0, MEM_RELEASE);
    ::CloseHandle(_process);
}

void TreeReader::exchange(UINT message, WPARAM wParam, void* data, SIZE_T size, SIZE_T extra) const
{
    ::WriteProcessMemory(_process, _memory, data, size, nullptr);
    ::SendMessageA(_tree, message, wParam, reinterpret_cast<LPARAM>(_memory));
    ::ReadProcessMemory(_process, _memory, data, size + extra, nullptr);
}

HTREEITEM TreeReader::next(HTREEITEM item, UINT relation) const
{
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(_tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM TreeReader::find(const std::string& path, bool expand) const
{
    // A text may hold slashes itself (a place of deleted entries is named by a path): the child
    // that takes the most of the path is the one, and one that takes all of it ends the search.
    HTREEITEM item = nullptr;
    for (std::string rest = path; !rest.empty();) {
        HTREEITEM found = nullptr;
        std::size_t taken = 0;
        for (HTREEITEM child = next(item, item ? TVGN_CHILD : TVGN_ROOT); child; child = next(child, TVGN_NEXT)) {
            const std::string label = text(child);
            if (label.size() > taken && (rest == label || rest.rfind(label + "/", 0) == 0)) {
                found = child;
                taken = label.size();
                if (rest == label)
                    break;
            }
        }
        if (!found)
            return nullptr;
        item = found;
        if (expand)
            ::SendMessageA(_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        rest = taken < rest.size() ? rest.substr(taken + 1) : std::string();
    }
    return item;
}

std::vector<std::string> TreeReader::children(HTREEITEM parent) const
{
    std::vector<std::string> texts;
    for (HTREEITEM item = next(parent, parent ? TVGN_CHILD : TVGN_ROOT); item; item = next(item, TVGN_NEXT))
        texts.push_back(text(item));
    return texts;
}

std::size_t TreeReader::childCount(HTREEITEM parent) const
{
    std::size_t count = 0;
    for (HTREEITEM item = next(parent, TVGN_CHILD); item; item = next(item, TVGN_NEXT))
        ++count;
    return count;
}

std::string TreeReader::text(HTREEITEM item) const
{
    // The text lands right behind the item's fields in the window's memory.
    struct {
        TVITEMW fields;
        wchar_t text[TEXT_SIZE];
    } exchanged = {};
    exchanged.fields.hItem = item;
    exchanged.fields.mask = TVIF_TEXT;
    exchanged.fields.pszText = reinterpret_cast<wchar_t*>(_memory + offsetof(decltype(exchanged), text));
    exchanged.fields.cchTextMax = TEXT_SIZE;
    exchange(TVM_GETITEMW, 0, &exchanged.fields, sizeof exchanged.fields, sizeof exchanged.text);
    exchanged.text[TEXT_SIZE - 1] = L'\0';
    char utf8[TEXT_SIZE * 4] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, exchanged.text, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

int TreeReader::image(HTREEITEM item) const
{
    TVITEMW fields = {};
    fields.hItem = item;
    fields.mask = TVIF_IMAGE;
    exchange(TVM_GETITEMW, 0, &fields, sizeof fields);
    return fields.iImage;
}

UINT TreeReader::state(HTREEITEM item, UINT mask) const
{
    return static_cast<UINT>(::SendMessageA(_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
}

int TreeReader::stateImage(HTREEITEM item) const
{
    return static_cast<int>((state(item, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) >> 12);
}

bool TreeReader::bold(HTREEITEM item) const
{
    return (state(item, TVIS_BOLD) & TVIS_BOLD) != 0;
}

bool TreeReader::expanded(HTREEITEM item) const
{
    return (state(item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TreeReader::expandAll() const
{
    std::vector<HTREEITEM> pending{next(nullptr, TVGN_ROOT)};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        for (; item; item = next(item, TVGN_NEXT)) {
            ::SendMessageA(_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            pending.push_back(next(item, TVGN_CHILD));
        }
    }
}

POINT TreeReader::pointOn(HTREEITEM item, UINT part) const
{
    RECT rect = {};
    std::memcpy(&rect, &item, sizeof item); // the control takes the item from the rectangle
    exchange(TVM_GETITEMRECT, FALSE, &rect, sizeof rect);
    POINT point = {rect.left, (rect.top + rect.bottom) / 2};
    for (; point.x < rect.right; ++point.x) {
        TVHITTESTINFO hit = {};
        hit.pt = point;
        exchange(TVM_HITTEST, 0, &hit, sizeof hit);
        if (hit.hItem == item && (hit.flags & part))
            break;
    }
    ::ClientToScreen(_tree, &point);
    return point;
}
