// The image list of small icons and the report-view list with check boxes. The image list owns its
// HIMAGELIST; the list view keeps each row's key, tag, icon number and sub-item texts beside
// the control (rows are only appended or cleared, so row n is element n - 1) and leaves the
// row text, which the user may edit, and the check states to the control.
#include "ListView.h"

#include <algorithm>

#include "Resources.h"
#include "System.h"
#include "Units.h"

namespace tw {
namespace {

constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);

const std::string& EmptyString() {
    static const std::string empty;
    return empty;
}

// A bitmap of any size reduced (or enlarged) to one `size` x `size` image: ImageList_Add
// would cut a wider bitmap into several images.
UniqueBitmap ScaledBitmap(HBITMAP source, int size) {
    BITMAP info{};
    if (!GetObjectA(source, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return UniqueBitmap();
    WindowDC screen(nullptr);
    if (!screen) return UniqueBitmap();
    UniqueBitmap scaled(CreateCompatibleBitmap(screen.Get(), size, size));
    const UniqueDC from(CreateCompatibleDC(screen.Get()));
    const UniqueDC to(CreateCompatibleDC(screen.Get()));
    if (scaled && from && to) {
        SelectGuard fromSelected(from.Get(), source);
        SelectGuard toSelected(to.Get(), scaled.Get());
        SetStretchBltMode(to.Get(), COLORONCOLOR);
        StretchBlt(to.Get(), 0, 0, size, size, from.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    return scaled;
}

// LVITEMA and LVITEMW, LVCOLUMNA and LVCOLUMNW differ only in the type their text points to:
// the W structures are filled for both, the text and the message of the family.
wchar_t* TextOf(const SystemText& text) {
    return const_cast<wchar_t*>(static_cast<const wchar_t*>(text.Either()));
}

// Reads one item or sub-item text; LVM_GETITEMTEXT returns the length it copied, so a
// result that fills the buffer means the buffer may have been too small.
std::string ItemText(HWND hwnd, int item, int subItem) {
    // A buffer of wide characters holds the same count of ANSI bytes too.
    std::vector<wchar_t> buffer(256, L'\0');
    for (;;) {
        LVITEMW lvi{};
        lvi.iSubItem = subItem;
        lvi.pszText = buffer.data();
        lvi.cchTextMax = static_cast<int>(buffer.size());
        int length = static_cast<int>(sys::Send(hwnd, sys::FamilyMessage(LVM_GETITEMTEXTW, LVM_GETITEMTEXTA),
                                                       static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
        if (length < static_cast<int>(buffer.size()) - 1 || buffer.size() >= 0x100000) {
            length = std::max(length, 0);
            return sys::BufferText(buffer.data(), length);
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

void SetItemText(HWND hwnd, int item, int subItem, const std::string& text) {
    const SystemText shown(text);
    LVITEMW lvi{};
    lvi.iSubItem = subItem;
    lvi.pszText = TextOf(shown);
    sys::Send(hwnd, sys::FamilyMessage(LVM_SETITEMTEXTW, LVM_SETITEMTEXTA), static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(&lvi));
}

// The edited text of an LVN_ENDLABELEDIT notification, in either character set; false when
// the user cancelled the edit (null text).
bool EditedText(NMHDR* header, std::string& text) {
    if (header->code == LVN_ENDLABELEDITA) {
        const auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        if (!info->item.pszText) return false;
        text = FromAnsi(info->item.pszText);
        return true;
    }
    const auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    if (!info->item.pszText) return false;
    text = FromWide(info->item.pszText);
    return true;
}

int ItemOf(NMHDR* header) {
    return header->code == LVN_ENDLABELEDITA || header->code == LVN_BEGINLABELEDITA
               ? reinterpret_cast<NMLVDISPINFOA*>(header)->item.iItem
               : reinterpret_cast<NMLVDISPINFOW*>(header)->item.iItem;
}

}  // namespace

// ---- ImageList -----------------------------------------------------------------------------

ImageList::ImageList()
    : m_size(SmallIconSize()), m_handle(ImageList_Create(m_size, m_size, ILC_COLOR32 | ILC_MASK, 4, 4)) {}

ImageList::~ImageList() {
    if (m_handle) ImageList_Destroy(m_handle);
}

int ImageList::Add(const Picture& picture, const std::string& key) {
    if (!m_handle || !picture) return 0;
    int index = -1;
    if (picture.IsIcon()) {
        // ImageList_AddIcon draws a copy: the picture keeps its own icon handle.
        index = ImageList_AddIcon(m_handle, picture.Icon());
    } else if (const UniqueBitmap scaled = ScaledBitmap(picture.Bitmap(), m_size)) {
        index = ImageList_Add(m_handle, scaled.Get(), nullptr);
    }
    if (index < 0) return 0;
    m_keys.resize(static_cast<size_t>(index) + 1);
    m_keys[static_cast<size_t>(index)] = key;
    return index + 1;
}

int ImageList::IndexOfKey(const std::string& key) const {
    if (key.empty()) return 0;
    auto found = std::find(m_keys.begin(), m_keys.end(), key);
    return found == m_keys.end() ? 0 : static_cast<int>(found - m_keys.begin()) + 1;
}

void ImageList::Clear() {
    if (m_handle) ImageList_RemoveAll(m_handle);
    m_keys.clear();
}

// ---- ListView ------------------------------------------------------------------------------

void ListView::Create(Form& form, const TwipsRect& rect) {
    // LVS_SHAREIMAGELISTS: the small-icon list belongs to an ImageList object, so the control
    // must not destroy it with itself.
    DWORD style = WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL |
                  LVS_SHAREIMAGELISTS | (m_labelEdit ? LVS_EDITLABELS : 0);
    CreateChild(form, "SysListView32", style, WS_EX_CLIENTEDGE, std::string(), rect);
    if (!Hwnd()) return;
    // The control makes its own check-box state images when LVS_EX_CHECKBOXES is set; with
    // LVS_SHAREIMAGELISTS it would not destroy them, so OnDestroyed does.
    ListView_SetExtendedListViewStyleEx(Hwnd(), LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    m_stateImages = ListView_GetImageList(Hwnd(), LVSIL_STATE);
    m_columns = 0;
    m_spareColumn = false;
    m_rows.clear();
}

void ListView::OnDestroyed() {
    if (m_stateImages) ImageList_Destroy(m_stateImages);
    m_stateImages = nullptr;
    m_rows.clear();
    m_columns = 0;
    m_spareColumn = false;
}

void ListView::ClearColumns() {
    if (!Hwnd()) return;
    HWND header = ListView_GetHeader(Hwnd());
    int count = header ? Header_GetItemCount(header) : m_columns;
    for (int column = count - 1; column >= 0; --column) ListView_DeleteColumn(Hwnd(), column);
    // Some versions of the control refuse to delete column 0; it is then kept, blank and
    // zero wide, and reused by the next AddColumn.
    m_spareColumn = header && Header_GetItemCount(header) > 0;
    if (m_spareColumn) {
        const SystemText blank("");
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = TextOf(blank);
        column.cx = 0;
        sys::Send(Hwnd(), sys::FamilyMessage(LVM_SETCOLUMNW, LVM_SETCOLUMNA), 0, reinterpret_cast<LPARAM>(&column));
    }
    m_columns = 0;
}

void ListView::AddColumn(const std::string& header, int widthTwips) {
    if (!Hwnd()) return;
    // The header control draws its texts with mnemonic prefixes ("Path & Filename" would show
    // as "Path _Filename"): double each "&" so that it shows as itself.
    std::string shown;
    for (char c : header) {
        shown += c;
        if (c == '&') shown += '&';
    }
    const SystemText text(shown);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.pszText = TextOf(text);
    column.cx = TwipsToPixelsX(widthTwips);
    column.iSubItem = m_columns;
    if (m_columns == 0 && m_spareColumn) {
        if (sys::Send(Hwnd(), sys::FamilyMessage(LVM_SETCOLUMNW, LVM_SETCOLUMNA), 0, reinterpret_cast<LPARAM>(&column))) {
            m_spareColumn = false;
            ++m_columns;
        }
        return;
    }
    if (sys::Send(Hwnd(), sys::FamilyMessage(LVM_INSERTCOLUMNW, LVM_INSERTCOLUMNA),
                         static_cast<WPARAM>(m_columns), reinterpret_cast<LPARAM>(&column)) < 0)
        return;
    // The control keeps no text for a column that does not exist (and drops a column's texts
    // with it): show the kept sub-items of the new column.
    size_t subItem = static_cast<size_t>(m_columns);
    for (size_t row = 0; row < m_rows.size(); ++row) {
        const auto& texts = m_rows[row].subItems;
        if (subItem >= 1 && subItem <= texts.size() && !texts[subItem - 1].empty())
            SetItemText(Hwnd(), static_cast<int>(row), m_columns, texts[subItem - 1]);
    }
    ++m_columns;
}

void ListView::SetSmallIcons(ImageList* images) {
    if (Hwnd()) ListView_SetImageList(Hwnd(), images ? images->Handle() : nullptr, LVSIL_SMALL);
}

void ListView::SetLabelEdit(bool automatic) {
    m_labelEdit = automatic;
    if (!Hwnd()) return;
    // The control reads LVS_EDITLABELS when a click would start an edit, so toggling the
    // style at run time switches in-place editing on and off.
    LONG_PTR style = GetWindowLongPtrA(Hwnd(), GWL_STYLE);
    LONG_PTR wanted = automatic ? (style | LVS_EDITLABELS) : (style & ~static_cast<LONG_PTR>(LVS_EDITLABELS));
    if (wanted != style) SetWindowLongPtrA(Hwnd(), GWL_STYLE, wanted);
}

void ListView::ClearRows() {
    if (Hwnd()) {
        ++m_programmatic;
        ListView_DeleteAllItems(Hwnd());
        --m_programmatic;
    }
    m_rows.clear();
}

int ListView::AddRow(const std::string& key, const std::string& text, int smallIcon) {
    if (!Hwnd()) return 0;
    const SystemText shown(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = static_cast<int>(m_rows.size());
    item.pszText = TextOf(shown);
    // Image numbers start at 1; 0 means no icon (I_IMAGENONE, not -1, which would be
    // I_IMAGECALLBACK and ask the form for the image).
    item.iImage = smallIcon > 0 ? smallIcon - 1 : I_IMAGENONE;
    item.state = kUnchecked;
    item.stateMask = LVIS_STATEIMAGEMASK;
    ++m_programmatic;
    int index = static_cast<int>(
        sys::Send(Hwnd(), sys::FamilyMessage(LVM_INSERTITEMW, LVM_INSERTITEMA), 0, reinterpret_cast<LPARAM>(&item)));
    --m_programmatic;
    if (index < 0) return 0;
    m_rows.push_back(RowData{key, std::string(), smallIcon > 0 ? smallIcon : 0, {}});
    return index + 1;
}

int ListView::RowCount() const {
    return Hwnd() ? ListView_GetItemCount(Hwnd()) : 0;
}

bool ListView::ValidRow(int row) const {
    return Hwnd() && row >= 1 && row <= static_cast<int>(m_rows.size());
}

std::string ListView::RowText(int row) const {
    return ValidRow(row) ? ItemText(Hwnd(), row - 1, 0) : std::string();
}

void ListView::SetRowText(int row, const std::string& text) {
    if (ValidRow(row)) SetItemText(Hwnd(), row - 1, 0, text);
}

const std::string& ListView::RowKey(int row) const {
    return ValidRow(row) ? m_rows[static_cast<size_t>(row - 1)].key : EmptyString();
}

const std::string& ListView::RowTag(int row) const {
    return ValidRow(row) ? m_rows[static_cast<size_t>(row - 1)].tag : EmptyString();
}

void ListView::SetRowTag(int row, const std::string& tag) {
    if (ValidRow(row)) m_rows[static_cast<size_t>(row - 1)].tag = tag;
}

int ListView::RowIcon(int row) const {
    return ValidRow(row) ? m_rows[static_cast<size_t>(row - 1)].icon : 0;
}

std::string ListView::SubItem(int row, int index) const {
    if (!ValidRow(row) || index < 1) return std::string();
    const auto& texts = m_rows[static_cast<size_t>(row - 1)].subItems;
    return static_cast<size_t>(index) <= texts.size() ? texts[static_cast<size_t>(index - 1)] : std::string();
}

void ListView::SetSubItem(int row, int index, const std::string& text) {
    if (!ValidRow(row) || index < 1) return;
    auto& texts = m_rows[static_cast<size_t>(row - 1)].subItems;
    if (texts.size() < static_cast<size_t>(index)) texts.resize(static_cast<size_t>(index));
    texts[static_cast<size_t>(index - 1)] = text;
    if (index < m_columns) SetItemText(Hwnd(), row - 1, index, text);
}

bool ListView::Checked(int row) const {
    if (!ValidRow(row)) return false;
    UINT state = static_cast<UINT>(ListView_GetItemState(Hwnd(), row - 1, LVIS_STATEIMAGEMASK));
    return state == kChecked;
}

void ListView::SetChecked(int row, bool checked) {
    if (!ValidRow(row)) return;
    ++m_programmatic;
    ListView_SetItemState(Hwnd(), row - 1, checked ? kChecked : kUnchecked, LVIS_STATEIMAGEMASK);
    --m_programmatic;
}

void ListView::StartLabelEdit(int row) {
    if (!ValidRow(row)) return;
    // LVM_EDITLABEL wants the control to have the focus; the row becomes the selected,
    // focused one, as after the user's first click.
    ::SetFocus(Hwnd());
    ListView_SetItemState(Hwnd(), row - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    sys::Send(Hwnd(), sys::FamilyMessage(LVM_EDITLABELW, LVM_EDITLABELA), static_cast<WPARAM>(row - 1), 0);
}

LRESULT ListView::OnNotify(NMHDR* header) {
    switch (header->code) {
    case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        // Only a state-image change between two check states is the user's: the control
        // also reports the state image it gives an item on insertion (old image 0), and the
        // program's own changes run with m_programmatic raised.
        UINT oldImage = change->uOldState & LVIS_STATEIMAGEMASK;
        UINT newImage = change->uNewState & LVIS_STATEIMAGEMASK;
        if (m_programmatic == 0 && (change->uChanged & LVIF_STATE) && change->iItem >= 0 &&
            oldImage != 0 && newImage != 0 && oldImage != newImage && OnCheckChanged) {
            OnCheckChanged(change->iItem + 1);
        }
        return 0;
    }
    case LVN_BEGINLABELEDITA:
    case LVN_BEGINLABELEDITW:
        // TRUE refuses the edit: only automatic label editing lets one start.
        return m_labelEdit && ItemOf(header) >= 0 ? FALSE : TRUE;
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW: {
        std::string text;
        int item = ItemOf(header);
        if (!EditedText(header, text) || item < 0) return FALSE;  // cancelled
        // The text is set here, before OnAfterLabelEdit runs, and FALSE keeps the control
        // from setting it again afterwards (which would undo a change the handler made).
        SetItemText(Hwnd(), item, 0, text);
        if (OnAfterLabelEdit) OnAfterLabelEdit(item + 1);
        return FALSE;
    }
    default:
        return 0;
    }
}

}  // namespace tw
