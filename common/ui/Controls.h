// The child controls forms are built from. Positions and sizes are twips, relative to the
// form's client area (or to the frame a control sits in). A control is a view: it never
// outlives its form's window, which destroys it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Picture.h"

namespace tw {

class Form;
class Frame;

struct TwipsRect {
    int left, top, width, height;
};

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND Hwnd() const { return m_hwnd; }
    int Id() const { return m_id; }
    Form* Owner() const { return m_form; }

    void Move(int left, int top, int width = -1, int height = -1);  // twips
    int Left() const { return m_rect.left; }
    int Top() const { return m_rect.top; }
    int Width() const { return m_rect.width; }
    int Height() const { return m_rect.height; }

    // The control's own Visible switch (a control on a hidden form or frame keeps it).
    void SetVisible(bool visible);
    bool Visible() const { return m_visible; }
    void SetEnabled(bool enabled);
    bool Enabled() const;
    void SetText(const std::string& text);
    std::string Text() const;
    void SetFocus();
    void SetToolTip(const std::string& text);

protected:
    // Creates the child window; `frame` places it inside a frame (its rect is frame-relative).
    void CreateChild(Form& form, const char* className, DWORD style, DWORD exStyle,
                     const std::string& text, const TwipsRect& rect, Frame* frame = nullptr);
    void UpdateWindowState();  // shows the window when it and its frame are visible
    virtual void OnCommand(int /*notifyCode*/) {}
    virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
    virtual void OnDestroyed() {}

private:
    friend class Form;
    friend class Frame;
    HWND m_hwnd = nullptr;
    int m_id = 0;
    Form* m_form = nullptr;
    Frame* m_frame = nullptr;
    TwipsRect m_rect{0, 0, 0, 0};
    bool m_visible = true;
};

// A text label. Lines break at a carriage return. With autoSize the width follows the text.
// OnChange runs whenever the caption is set.
class Label : public Control {
public:
    void Create(Form& form, const std::string& caption, const TwipsRect& rect,
                bool autoSize = false, Frame* frame = nullptr);
    void SetCaption(const std::string& caption);
    const std::string& Caption() const { return m_caption; }
    // On (the default), "&" marks the next letter as the access key; off, "&" is shown as
    // itself (SS_NOPREFIX), as a label that shows a file or program name needs.
    void SetUseMnemonic(bool useMnemonic);
    bool UseMnemonic() const { return m_useMnemonic; }
    std::function<void()> OnChange;

private:
    void FitToText();
    bool m_autoSize = false;
    bool m_useMnemonic = true;
    std::string m_caption;
};

class CheckBox : public Control {
public:
    void Create(Form& form, const std::string& caption, const TwipsRect& rect, Frame* frame = nullptr);
    int Value() const;            // 0 or 1
    void SetValue(int value);     // does not run OnClick
    std::function<void()> OnClick;  // after the user changed the value

protected:
    void OnCommand(int notifyCode) override;
};

// A push button. The default button is pressed by Enter, the cancel button by Esc, while
// enabled and visible; one button may be both.
class Button : public Control {
public:
    void Create(Form& form, const std::string& caption, const TwipsRect& rect);
    void SetDefault(bool isDefault);
    void SetCancel(bool isCancel);
    void SetBold(bool bold);
    void Click();  // as if pressed: runs OnClick when enabled
    std::function<void()> OnClick;

protected:
    void OnCommand(int notifyCode) override;
    void OnDestroyed() override;

private:
    UniqueFont m_boldFont;
};

class TextBox : public Control {
public:
    // `style` adds edit styles (ES_NUMBER: digits only).
    void Create(Form& form, const std::string& text, const TwipsRect& rect, Frame* frame = nullptr,
                DWORD style = 0);
    void SelectAll();
    std::function<void()> OnChange;

protected:
    void OnCommand(int notifyCode) override;
};

// Spin buttons (an up-down control) that step the whole number in a text box, its buddy,
// between a least and a greatest value; the text box's OnChange follows each step.
class SpinButton : public Control {
public:
    void Create(Form& form, TextBox& buddy, int least, int greatest, const TwipsRect& rect,
                Frame* frame = nullptr);
    // Sets the number, in the buddy too.
    void SetValue(int value);
    int Value() const;
};

// A captioned group box holding other controls; moving or hiding it moves or hides them.
class Frame : public Control {
public:
    void Create(Form& form, const std::string& caption, const TwipsRect& rect);
    void Move(int left, int top, int width = -1, int height = -1);
    void SetVisible(bool visible);

private:
    friend class Control;
    std::vector<Control*> m_members;
};

// Shows a picture: an icon drawn at the control's size, or a bitmap stretched to it.
class Image : public Control {
public:
    void Create(Form& form, const TwipsRect& rect);
    void SetPicture(const Picture& picture);
    const Picture& GetPicture() const { return m_picture; }

private:
    static LRESULT CALLBACK ImageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    Picture m_picture;
};

// An etched horizontal line.
class Line : public Control {
public:
    void Create(Form& form, const TwipsRect& rect);
};

class ProgressBar : public Control {
public:
    void Create(Form& form, const TwipsRect& rect);
    void SetMax(int max);
    int Max() const { return m_max; }
    void SetValue(int value);
    int Value() const { return m_value; }

private:
    int m_max = 100;
    int m_value = 0;
};

}  // namespace tw
