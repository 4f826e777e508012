// Stock resources and objects: the system's icons, cursors and GDI objects, handed out as fixed
// handles that are never freed; and the string length of kernel32.
#include <cstring>

#include "platform/portable/win32/win32.h"

// Stock handles only need to be distinct, non-null and stable.
struct HICON__ {};
struct HGDIOBJ__ {};

namespace {

// The system's stock icons: IDI_APPLICATION to IDI_WINLOGO; and cursors: IDC_ARROW to
// IDC_UPARROW, then IDC_SIZE to IDC_HELP without the unused 32647.
constexpr int kFirstStockResource = 32512;
constexpr int kLastStockIcon = 32517;
constexpr int kLastStockCursor = 32651;
constexpr int kLastStockObject = DC_PEN;

bool IsStockCursor(int id) { return id <= 32516 || (id >= 32640 && id != 32647); }

HICON__ stockIcons[kLastStockIcon - kFirstStockResource + 1];
HICON__ stockCursors[kLastStockCursor - kFirstStockResource + 1];
HGDIOBJ__ stockObjects[kLastStockObject + 1];

// A stock resource is asked for with no module and a numeric identifier; named resources of a
// module would come from its resource section, and this program has none.
int StockIdentifier(HINSTANCE module, LPCSTR name, int last)
{
    const UINT_PTR value = reinterpret_cast<UINT_PTR>(name);
    if (module != nullptr || value < static_cast<UINT_PTR>(kFirstStockResource) ||
        value > static_cast<UINT_PTR>(last))
        return -1;
    return static_cast<int>(value) - kFirstStockResource;
}

}  // namespace

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName)
{
    const int index = StockIdentifier(hInstance, lpIconName, kLastStockIcon);
    if (index < 0) return nullptr;
    return &stockIcons[index];
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName)
{
    const int index = StockIdentifier(hInstance, lpCursorName, kLastStockCursor);
    if (index < 0 || !IsStockCursor(kFirstStockResource + index)) return nullptr;
    return &stockCursors[index];
}

HGDIOBJ WINAPI GetStockObject(int i)
{
    // 9 is no stock object on Windows either.
    if (i < 0 || i > kLastStockObject || i == 9) return nullptr;
    return &stockObjects[i];
}

int WINAPI lstrlenA(LPCSTR lpString)
{
    return lpString != nullptr ? static_cast<int>(std::strlen(lpString)) : 0;
}
