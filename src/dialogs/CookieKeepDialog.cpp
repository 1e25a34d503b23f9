#include "dialogs/CookieKeepDialog.h"

#include "dialogs/DialogRegions.h"
#include "engine/CookieKeepList.h"
#include "engine/CookieRules.h"
#include "platform/Handle.h"
#include "resource.h"
#include "version.h"

namespace corvale {
namespace {

constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr DWORD kFolderValueSize = 500;

// The user's Cookies folder, or empty when the shell does not name one.
std::string CookiesFolder()
{
    RegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return std::string();
    char folder[kFolderValueSize + 1] = {};
    DWORD size = kFolderValueSize;
    if (::RegQueryValueExA(key.Get(), "Cookies", nullptr, nullptr, reinterpret_cast<BYTE*>(folder), &size) !=
        ERROR_SUCCESS)
        return std::string();
    return folder;
}

// Moves the first selected item of one list into the other until none is selected.
void MoveSelected(const CListBox& from, const CListBox& to)
{
    for (;;) {
        int index = -1;
        if (from.SendMessage(LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&index)) < 1)
            return;
        // A name the other list cannot take stays where it is rather than vanish.
        if (to.AddString(from.GetText(index)) < 0)
            return;
        (void)from.DeleteString(index); // it exists: it was just read
    }
}

void MoveAll(const CListBox& from, const CListBox& to)
{
    while (from.GetCount() > 0) {
        if (to.AddString(from.GetText(0)) < 0)
            return;                 // as in MoveSelected
        (void)from.DeleteString(0); // as in MoveSelected
    }
}

std::vector<std::string> Items(const CListBox& list)
{
    std::vector<std::string> items;
    const int count = list.GetCount();
    for (int i = 0; i < count; ++i)
        items.push_back(list.GetText(i));
    return items;
}

} // namespace

CCookieKeepDialog::CCookieKeepDialog(HWND parent)
    : CSkinnedDialog(IDD_COOKIE_KEEP, parent, IDC_PICTURE, kDragStripHeight)
{
}

void CCookieKeepDialog::DoDataExchange()
{
    DdxControl(IDC_COOKIE_LIST, m_computer);
    DdxControl(IDC_KEEP_LIST, m_kept);
    CSkinnedDialog::DoDataExchange();
}

BOOL CCookieKeepDialog::OnInitDialog()
{
    CSkinnedDialog::OnInitDialog();
    FillComputerCookies();
    LoadKeptCookies();
    // Without its skin the dialog keeps its template size; lists, buttons and keys still work.
    (void)ApplySkin(IDG_COOKIE_KEEP);
    return TRUE;
}

void CCookieKeepDialog::FillComputerCookies()
{
    const std::string folder = CookiesFolder();
    if (folder.empty())
        return;
    WIN32_FIND_DATAA entry{};
    FindHandle search(::FindFirstFileA((folder + "\\*.*").c_str(), &entry));
    if (!search)
        return;
    do {
        if (!IsCookieFileName(entry.cFileName))
            continue;
        // One name per site; a name that begins a listed one is not listed either.
        const std::string name = CookieNameOfFile(entry.cFileName);
        if (m_computer.FindString(-1, name) == LB_ERR)
            (void)m_computer.AddString(name); // a full list only shows fewer names
    } while (::FindNextFileA(search.Get(), &entry));
}

void CCookieKeepDialog::LoadKeptCookies()
{
    const std::optional<std::string> text = CookieKeepList().LoadText(&m_listUnreadable);
    if (!text)
        return;
    for (const std::string& name : SplitKeepList(*text)) {
        (void)m_kept.AddString(name); // as above
        const int shown = m_computer.FindString(-1, name);
        if (shown != LB_ERR)
            (void)m_computer.DeleteString(shown);
    }
}

void CCookieKeepDialog::OnOK()
{
    // The old list stays when the new one cannot replace it; closing now would pass the
    // loss off as saved, so the dialog stays and the user may try OK again or cancel. A
    // list that was there but could not be read is not replaced by what the dialog
    // showed without it.
    if (!m_listUnreadable && CookieKeepList().Save(Items(m_kept)))
        EndDialog(IDOK);
}

bool CCookieKeepDialog::OnCommand(UINT id, UINT notifyCode)
{
    switch (id) {
    case IDC_MOVE_RIGHT: MoveSelected(m_computer, m_kept); return true;
    case IDC_MOVE_LEFT: MoveSelected(m_kept, m_computer); return true;
    case IDC_MOVE_ALL_LEFT: MoveAll(m_kept, m_computer); return true;
    case IDC_COOKIE_LIST:
    case IDC_KEEP_LIST: {
        if (notifyCode != LBN_DBLCLK)
            return false;
        const bool fromComputer = id == IDC_COOKIE_LIST;
        const CListBox& from = fromComputer ? m_computer : m_kept;
        if (from.GetSelCount() != 0)
            MoveSelected(from, fromComputer ? m_kept : m_computer);
        return true;
    }
    default: return false;
    }
}

const char* CCookieKeepDialog::CursorAt(int x, int y) const
{
    return SystemCursor(KeepListCursorAt(x, y));
}

void CCookieKeepDialog::OnButtonRelease(int x, int y)
{
    switch (KeepListClickAt(x, y)) {
    case KeepListArea::ProductLogo: OpenWebPage(CORVALE_PRODUCT_URL); break;
    case KeepListArea::MakersLogo: OpenWebPage(CORVALE_HOME_URL); break;
    case KeepListArea::Cancel: PostMessage(WM_CLOSE); break;
    case KeepListArea::Ok: OnOK(); break;
    case KeepListArea::FooterLine:
    case KeepListArea::None: break;
    }
}

} // namespace corvale
