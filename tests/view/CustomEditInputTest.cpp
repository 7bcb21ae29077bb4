#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "view/ViewWindow.h"

namespace {

// What the view's parent was sent.
struct TSent {
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
};

std::vector<TSent> ParentReceived;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message == WM_CONTEXTMENU || message == WM_MOUSEWHEEL)
        ParentReceived.push_back({message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

// A shown top-level window that records what it is sent.
struct TRecordingParent {
    TRecordingParent()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "CustomEditTestParent";
        RegisterClassA(&windowClass);
        Handle = CreateWindowExA(0, "CustomEditTestParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                 nullptr, windowClass.hInstance, nullptr);
    }
    ~TRecordingParent() { DestroyWindow(Handle); }
    HWND Handle;
};

// The view as a child control of the recording parent, as in the dialog.
class CustomEditInputTest : public ::testing::Test {
protected:
    static const int Id = 1234;
    TRecordingParent Parent;
    TViewWindow View{300, 200, Parent.Handle, Id};
};

// Sets the thread's Ctrl key state for GetKeyState and puts the old state back.
class TControlKey {
public:
    explicit TControlKey(bool down)
    {
        GetKeyboardState(Saved);
        BYTE state[256];
        CopyMemory(state, Saved, sizeof(state));
        state[VK_CONTROL] = down ? 0x80 : 0;
        state[VK_LCONTROL] = state[VK_RCONTROL] = 0;
        SetKeyboardState(state);
    }
    ~TControlKey() { SetKeyboardState(Saved); }
    TControlKey(const TControlKey&) = delete;
    TControlKey& operator=(const TControlKey&) = delete;

private:
    BYTE Saved[256];
};

}  // namespace

TEST_F(CustomEditInputTest, DialogPassesTheArrowsButKeepsTabAndEnter)
{
    EXPECT_EQ(DLGC_WANTARROWS, SendMessageA(View.Window(), WM_GETDLGCODE, 0, 0));
}

TEST_F(CustomEditInputTest, AClickTakesTheFocus)
{
    for (UINT message : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        SCOPED_TRACE(testing::Message() << "message " << message);
        SetFocus(Parent.Handle);
        ASSERT_EQ(Parent.Handle, GetFocus());
        SendMessageA(View.Window(), message, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(View.Window(), GetFocus());
    }
}

TEST_F(CustomEditInputTest, OnlyCtrlCAndTheContextMenuReachTheParent)
{
    const HWND view = View.Window();
    const LPARAM viewParam = reinterpret_cast<LPARAM>(view);
    const struct {
        UINT Message;
        WPARAM WParam;
        LPARAM LParam;
        bool Control;
        std::vector<TSent> Expected;
    } cases[] = {
        {WM_KEYDOWN, 'C', 1, true, {{WM_COMMAND, MAKEWPARAM(Id, CEN_COPYALL), viewParam}}},
        {WM_KEYDOWN, 'C', 1, false, {}},
        {WM_KEYDOWN, 'V', 1, true, {}},
        // DefWindowProc shows nothing itself and asks the parent, where the dialog has its menu.
        {WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view), MAKELPARAM(20, 30), false,
         {{WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view), MAKELPARAM(20, 30)}}},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(20, 30), false, {}},
    };
    for (const auto& sent : cases) {
        SCOPED_TRACE(testing::Message() << "message " << sent.Message << ", wParam " << sent.WParam << ", Ctrl "
                                        << sent.Control);
        ParentReceived.clear();
        {
            TControlKey control(sent.Control);
            ASSERT_EQ(sent.Control, GetKeyState(VK_CONTROL) < 0);
            SendMessageA(view, sent.Message, sent.WParam, sent.LParam);
        }
        ASSERT_EQ(sent.Expected.size(), ParentReceived.size());
        for (size_t i = 0; i < ParentReceived.size(); ++i) {
            EXPECT_EQ(sent.Expected[i].Message, ParentReceived[i].Message);
            EXPECT_EQ(sent.Expected[i].WParam, ParentReceived[i].WParam);
            EXPECT_EQ(sent.Expected[i].LParam, ParentReceived[i].LParam);
        }
    }
}
