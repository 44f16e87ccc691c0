// Forms: top-level windows with the life cycle the programs are written against.
//   Load      creates the window hidden, creates its controls, runs Form_Load (once per instance)
//   Show      loads if needed and shows
//   ShowModal shows and runs a nested message loop until the form is hidden or unloaded;
//             the thread's other windows are disabled meanwhile (their timers keep firing)
//   Hide      hides
//   Unload    runs Form_Unload, stops the timers and destroys the window; a FormSlot then
//             gives a fresh instance on its next use
// One static window procedure binds `this` at WM_NCCREATE; no exception leaves it.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Picture.h"

namespace tw {

class Control;
class Button;
class Form;

// A form's timer: an interval in milliseconds and an enabled switch. A disabled timer never
// fires; an enabled one runs OnTimer on the GUI thread, nested loops included.
class Timer {
public:
    Timer(Form& owner, unsigned intervalMs);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return m_interval; }
    void SetInterval(unsigned intervalMs);
    std::function<void()> OnTimer;

private:
    friend class Form;
    void Apply();  // SetTimer/KillTimer to match the switch while the window exists
    Form& m_owner;
    unsigned m_interval;
    bool m_enabled = false;
    UINT_PTR m_id;
};

enum class MousePointer { Default, Hourglass };

// Window styles and client size of a form, fixed at construction.
struct FormStyle {
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = WS_EX_DLGMODALFRAME;
    int clientWidth = 4800;   // twips
    int clientHeight = 3600;  // twips
    std::string caption;
};

class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    void Load();
    void Show();
    void ShowModal();
    void Hide();
    void Unload();

    bool IsLoaded() const { return m_hwnd != nullptr; }
    bool WasUnloaded() const { return m_unloaded; }
    bool Visible() const;
    HWND Hwnd() const { return m_hwnd; }

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    // The title-bar and task-switch icon in two sizes, kept alive by the form: `large` for
    // task switching (ICON_BIG), `small` for the title bar and taskbar (ICON_SMALL).
    void SetIcon(const Picture& large, const Picture& small);
    // Icon resource `id` at the sizes the system asks for (LargeIconSize, SmallIconSize).
    void SetIconResource(UINT id);

    // Outer position and size, in twips.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int left, int top, int width = -1, int height = -1);
    // Client area, in twips.
    int ScaleWidth() const;
    int ScaleHeight() const;
    // Centres the window on the screen: (screen - window) / 2, truncated to whole twips.
    void CentreOnScreen();

    void Refresh();  // repaints now
    void SetMousePointer(MousePointer pointer);
    HFONT Font() const { return m_font; }

    // Number of forms loaded in this process.
    static int LoadedCount();

protected:
    explicit Form(FormStyle style);

    virtual void CreateControls() {}  // the window exists, still hidden; before Form_Load
    virtual void Form_Load() {}
    // Closing by the title bar's close box or Alt+F4: return false to keep the form.
    virtual bool Form_QueryUnload() { return true; }
    virtual void Form_Unload() {}
    virtual void Form_Paint(HDC) {}
    // Messages the form does not handle itself; call the base for the default handling.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    friend class Control;
    friend class Timer;
    friend class Button;
    friend bool PreTranslateFormMessage(MSG& msg);
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    int AddControl(Control* control);  // gives the control its id
    void RemoveControl(Control* control);
    Control* FindControl(int id) const;
    void StartTimers();

    FormStyle m_style;
    HWND m_hwnd = nullptr;
    HFONT m_font = nullptr;
    bool m_unloaded = false;
    bool m_unloading = false;
    MousePointer m_pointer = MousePointer::Default;
    Picture m_icon;
    Picture m_smallIcon;
    std::vector<Control*> m_controls;
    std::vector<Timer*> m_timers;
    Button* m_defaultButton = nullptr;
    Button* m_cancelButton = nullptr;
    HWND m_toolTip = nullptr;
    int m_nextId = 100;
};

// A program's one instance of a form, made on first use; after the form unloads, the next
// use makes a fresh instance (its Form_Load runs again). Retired instances are deleted when
// no window procedure is running.
template <class T>
class FormSlot {
public:
    T& operator()() {
        if (!m_form || m_form->WasUnloaded()) {
            Retire();
            m_form.reset(new T());
        }
        return *m_form;
    }
    // The current instance if one exists and has not been unloaded, else nullptr.
    T* Existing() const { return m_form && !m_form->WasUnloaded() ? m_form.get() : nullptr; }
    // True while the instance is loaded (its window exists).
    bool IsLoaded() const { return m_form && m_form->IsLoaded(); }

private:
    void Retire();
    std::unique_ptr<T> m_form;
};

// Deletes forms retired by FormSlot once no window procedure is on the stack.
void RetireForm(std::unique_ptr<Form> form);
void CollectRetiredForms();

template <class T>
void FormSlot<T>::Retire() {
    if (m_form) RetireForm(std::unique_ptr<Form>(m_form.release()));
}

// Lets pending window events run (and handlers nest inside the caller); returns at once
// when the queue is empty.
void DoEvents();
// Runs the program's message loop until no form is loaded.
void RunMessageLoop();
// Keyboard handling of forms (Tab, Enter = default button, Esc = cancel button) for a
// message about to be dispatched; true when it was handled.
bool PreTranslateFormMessage(MSG& msg);

}  // namespace tw
