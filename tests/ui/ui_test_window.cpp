// A test window with two owner-drawn report lists, and real input.
#include "tests/ui/ui_test_window.h"

namespace uitest {
namespace {
constexpr char kClass[] = "MelodekUiTest";

HWND MakeList(HWND parent, int id, int x, DWORD selection) {
  HWND list = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOSORTHEADER |
                                    LVS_SHOWSELALWAYS | selection,
                                x, 10, 250, 300, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                ::GetModuleHandleA(nullptr), nullptr);
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = LVCFMT_LEFT;
  column.cx = 200;
  column.pszText = const_cast<char*>("Rows");
  ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  return list;
}
}  // namespace

TestWindow::TestWindow() {
  static bool registered = false;
  if (!registered) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TestWindow::Proc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClass;
    ::RegisterClassA(&windowClass);
    registered = true;
  }
  window_ = ::CreateWindowExA(0, kClass, "UiTest", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 100, 600, 400,
                              nullptr, nullptr, ::GetModuleHandleA(nullptr), this);
  MakeList(window_, kLeftList, 10, 0);
  MakeList(window_, kRightList, 300, 0);
  ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 260, 10, 40, 300, window_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSplitter)), ::GetModuleHandleA(nullptr), nullptr);
  ::CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE, 400, 320, 80, 24, window_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), ::GetModuleHandleA(nullptr), nullptr);
  ::CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE, 490, 320, 80, 24, window_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), ::GetModuleHandleA(nullptr), nullptr);
  ::ShowWindow(window_, SW_SHOW);
  ::SetForegroundWindow(window_);
  Pump(100);
}

TestWindow::~TestWindow() {
  ::DestroyWindow(window_);
  Pump(20);
}

void TestWindow::FillRows(int id, int count, const char* prefix) {
  HWND list = Item(id);
  ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < count; ++i) {
    std::string text = prefix + std::to_string(i);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = i;
    item.pszText = text.data();
    item.lParam = i;
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

std::vector<std::string> TestWindow::Texts(int id) const {
  HWND list = Item(id);
  std::vector<std::string> texts;
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    texts.push_back(text);
  }
  return texts;
}

std::vector<int> TestWindow::RowsWith(int id, UINT state) const {
  HWND list = Item(id);
  std::vector<int> rows;
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    if (::SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), state) & state) rows.push_back(i);
  }
  return rows;
}

POINT TestWindow::RowPoint(int id, int row) const {
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  ::SendMessageA(Item(id), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
  POINT point{bounds.left + 30, (bounds.top + bounds.bottom) / 2};
  ::ClientToScreen(Item(id), &point);
  return point;
}

RECT TestWindow::ScreenRect(int id) const {
  RECT rect{};
  ::GetWindowRect(Item(id), &rect);
  return rect;
}

LRESULT CALLBACK TestWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    ::SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr && message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    const int code = static_cast<int>(header->code);
    const bool ours = code <= -201 && code >= -203;
    const bool wholeList = (code == static_cast<int>(LVN_ITEMCHANGING) || code == static_cast<int>(LVN_ITEMCHANGED)) &&
                           reinterpret_cast<const NMLISTVIEW*>(lParam)->iItem == -1;
    if (ours || wholeList) {
      Notice notice{static_cast<int>(header->idFrom), code, {0, 0}};
      if (code == -201) {
        const auto* drop = reinterpret_cast<const int32_t*>(reinterpret_cast<const char*>(lParam) + sizeof(NMHDR) + 8);
        notice.point = {drop[0], drop[1]};
      }
      self->notices.push_back(notice);
    }
  }
  if (self != nullptr && self->extra != nullptr) {
    bool handled = false;
    const LRESULT result = self->extra(window, message, wParam, lParam, handled);
    if (handled) return result;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

void Pump(int ms) {
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
  do {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    ::Sleep(5);
  } while (static_cast<int>(end - ::GetTickCount()) > 0);
}

void MouseMove(POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = ::MulDiv(screen.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = ::MulDiv(screen.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
  Pump(30);
}

void MouseButton(bool down, bool right) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = right ? (down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP)
                           : (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  ::SendInput(1, &input, sizeof input);
  Pump(40);
}

void Drag(POINT from, POINT to, int steps) {
  MouseMove(from);
  MouseButton(true);
  for (int i = 1; i <= steps; ++i) {
    MouseMove({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  }
  MouseButton(false);
  Pump(50);
}
}  // namespace uitest
