// The list view (report view with check boxes) and its image list of small icons.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "Controls.h"
#include "Picture.h"

namespace tw {

// Square images of the small-icon size at the screen's DPI (16 x 16 at 96 dpi), numbered
// from 1 in the order appended, each with an optional key.
class ImageList {
public:
    ImageList();
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    ~ImageList();

    // Appends a copy of the picture's image; returns its index (from 1), or 0 on failure.
    int Add(const Picture& picture, const std::string& key = std::string());
    int Count() const { return static_cast<int>(m_keys.size()); }
    int IndexOfKey(const std::string& key) const;  // 0 when absent
    int ImageSize() const { return m_size; }       // pixels
    void Clear();
    HIMAGELIST Handle() const { return m_handle; }

private:
    int m_size;
    HIMAGELIST m_handle;
    std::vector<std::string> m_keys;
};

// Report view with check boxes. Rows are numbered from 1. Each row has a key, a text,
// a small icon (an image index from 1, 0 for none), a tag, sub-item texts and a check state.
// A sub-item is shown in the column of the same number; it keeps its text while that column
// does not exist, and shows it again when the column is added.
class ListView : public Control {
public:
    void Create(Form& form, const TwipsRect& rect);

    void ClearColumns();
    void AddColumn(const std::string& header, int widthTwips);
    int ColumnCount() const { return m_columns; }

    // Attaches (or with nullptr detaches) the small-icon image list; not owned.
    void SetSmallIcons(ImageList* images);
    // In-place editing of the row text: on (automatic) or off (manual).
    void SetLabelEdit(bool automatic);

    void ClearRows();
    // Appends a row; returns its number (from 1).
    int AddRow(const std::string& key, const std::string& text, int smallIcon = 0);
    int RowCount() const;
    std::string RowText(int row) const;
    void SetRowText(int row, const std::string& text);
    const std::string& RowKey(int row) const;
    const std::string& RowTag(int row) const;
    void SetRowTag(int row, const std::string& tag);
    int RowIcon(int row) const;
    std::string SubItem(int row, int index) const;  // index from 1
    void SetSubItem(int row, int index, const std::string& text);
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);  // does not run OnCheckChanged
    void StartLabelEdit(int row);            // as a user's click on a selected row would

    // Runs after the user changed a row's check state (click, Space); never while the
    // program fills or checks rows itself.
    std::function<void(int row)> OnCheckChanged;
    // Runs after the user has edited a row's text in place; the new text is already set.
    std::function<void(int row)> OnAfterLabelEdit;

protected:
    LRESULT OnNotify(NMHDR* header) override;
    void OnDestroyed() override;

private:
    struct RowData {
        std::string key;
        std::string tag;
        int icon;
        std::vector<std::string> subItems;  // [0] is sub-item 1
    };
    bool ValidRow(int row) const;
    std::vector<RowData> m_rows;
    int m_columns = 0;
    bool m_spareColumn = false;     // a blank column 0 the control would not delete
    bool m_labelEdit = false;       // in-place editing: off until SetLabelEdit(true)
    int m_programmatic = 0;         // > 0 while the program changes rows
    HIMAGELIST m_stateImages = nullptr;  // the check-box images the control made
};

}  // namespace tw
