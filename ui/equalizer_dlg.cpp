// The Equalizer dialog.
#include "ui/equalizer_dlg.h"

#include <commctrl.h>

#include <string>

#include "common/resource.h"
#include "ui/point_text.h"
#include "framework/dpi.h"

namespace {
constexpr int kNameColumnWidth = 100;  // pixels at 96 DPI

// Band labels of the editor: the third-octave centres.
struct BandLabel {
  double hertz;
  const char* text;
};
constexpr BandLabel kBandLabels[] = {
    {25, "25"},      {31.5, "31.5"},   {40, "40"},     {50, "50"},     {63, "63"},     {80, "80"},
    {100, "100"},    {125, "125"},     {160, "160"},   {200, "200"},   {250, "250"},   {315, "315"},
    {400, "400"},    {500, "500"},     {630, "630"},   {800, "800"},   {1000, "1k"},   {1250, "1.25k"},
    {1600, "1.6k"},  {2000, "2k"},     {2500, "2.5k"}, {3150, "3.15k"}, {4000, "4k"},  {5000, "5k"},
    {6300, "6.3k"},  {8000, "8k"},     {10000, "10k"}, {12500, "12.5k"}, {16000, "16k"}, {20000, "20k"},
};

// The editor's range: bins 4..4096 (21.5 Hz to 22050 Hz), gain 0..2.
constexpr float kBinMin = 4, kBinMax = 4096, kGainMin = 0, kGainMax = 2;

constexpr int kStretchVertically = kAnchorTop | kAnchorBottom;
constexpr int kStretchBoth = kAnchorLeft | kAnchorRight | kAnchorTop | kAnchorBottom;
constexpr int kFollowCorner = kAnchorRight | kAnchorBottom;  // moves with the lower right corner

}  // namespace

const MessageMapEntry<CEqualizerDlg> CEqualizerDlg::kMessageMap[] = {
    MessageMapEntry<CEqualizerDlg>(WM_COMMAND, WM_COMMAND, BN_CLICKED, IDC_EQ_ADD, IDC_EQ_ADD,
                                   &CEqualizerDlg::OnAddPreset),
    MessageMapEntry<CEqualizerDlg>(WM_COMMAND, WM_COMMAND, BN_CLICKED, IDC_EQ_DELETE, IDC_EQ_DELETE,
                                   &CEqualizerDlg::OnDeletePreset),
    MessageMapEntry<CEqualizerDlg>(WM_COMMAND, WM_COMMAND, CBN_SELCHANGE, IDC_EQ_TYPE, IDC_EQ_TYPE,
                                   &CEqualizerDlg::OnTypeChanged),
    MessageMapEntry<CEqualizerDlg>(WM_COMMAND, WM_COMMAND, kGraphChanged, IDC_EQ_GRAPH, IDC_EQ_GRAPH,
                                   &CEqualizerDlg::OnCurveChanged),
    OnNotify<CEqualizerDlg>(LVN_ITEMCHANGED, IDC_EQ_PRESETS, &CEqualizerDlg::OnPresetItemChanged),
    OnNotify<CEqualizerDlg>(LVN_ENDLABELEDITA, IDC_EQ_PRESETS, &CEqualizerDlg::OnPresetLabelEdited),
    OnNotify<CEqualizerDlg>(LVN_KEYDOWN, IDC_EQ_PRESETS, &CEqualizerDlg::OnPresetKeyDown),
    {WM_SIZE, &CEqualizerDlg::OnSize},
    {WM_GETMINMAXINFO, &CEqualizerDlg::OnGetMinMaxInfo},
};

CEqualizerDlg* CEqualizerDlg::open_ = nullptr;

CEqualizerDlg::CEqualizerDlg(EqualizerTarget& target) : CDialog(IDD_EQUALIZER), target_(target) {}

CEqualizerDlg::~CEqualizerDlg() {
  if (open_ == this) open_ = nullptr;
  // The hold covers exactly the dialog's life, however it ended (OK, the
  // escape key, or the program's Exit).
  if (held_) target_.HoldEqualizer(false);
}

HWND CEqualizerDlg::OpenWindow() { return open_ != nullptr ? open_->Handle() : nullptr; }

bool CEqualizerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

bool CEqualizerDlg::PreTranslateMessage(MSG& message) {
  // While a name is being edited, Enter and Escape end the edit (keep or
  // cancel); the dialog's key handling would otherwise close the dialog.
  if (message.message != WM_KEYDOWN || (message.wParam != VK_RETURN && message.wParam != VK_ESCAPE)) {
    return false;
  }
  HWND edit = reinterpret_cast<HWND>(::SendMessageA(Item(IDC_EQ_PRESETS), LVM_GETEDITCONTROL, 0, 0));
  if (edit == nullptr || message.hwnd != edit) return false;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);  // taken in its Unicode form (framework/application.h)
  return true;
}

BOOL CEqualizerDlg::OnInitDialog() {
  open_ = this;
  graph_.CreateOver(Item(IDC_EQ_GRAPH_PLACE), IDC_EQ_GRAPH);
  graph_.SetPointDescriber([](float bin, float gain) {
    const std::string text = DescribeEqPoint(bin, gain);
    return std::wstring(text.begin(), text.end());
  });
  ConfigureGraph();
  AddBandLabels();

  layout_.Init(Handle());
  layout_.SetAnchor(IDC_EQ_PRESETS, kStretchVertically);
  layout_.SetAnchor(IDC_EQ_GRAPH, kStretchBoth);
  layout_.SetAnchor(IDOK, kFollowCorner);
  layout_.SetAnchor(IDCANCEL, kFollowCorner);
  layout_.SetAnchor(IDC_EQ_SEPARATOR, kStretchVertically);

  target_.HoldEqualizer(true);
  held_ = true;

  presetList_.Attach(Item(IDC_EQ_PRESETS));
  FillPresetList();
  // The presets first: the list is where the user starts.
  ::SetFocus(Item(IDC_EQ_PRESETS));
  return FALSE;
}

void CEqualizerDlg::ConfigureGraph() {
  graph_.SetRange(kBinMin, kBinMax, kGainMin, kGainMax);
  // Drawn per pixel column with the same linear-in-bins interpolation the
  // equalizer applies: straight lines on the logarithmic axis would show a
  // different response between the points from the one heard.
  graph_.SetCurveMode(kCurveLinear);
  graph_.SetXScale(kXScaleLog2);
  graph_.SetClampToPlot(true);
  graph_.AddYLabel(0.0f, "0%");
  graph_.AddYLabel(0.5f, "50%");
  graph_.AddYLabel(1.0f, "100%");
  graph_.AddYLabel(1.5f, "150%");
  graph_.AddYLabel(2.0f, "200%");
}

void CEqualizerDlg::AddBandLabels() {
  for (const BandLabel& band : kBandLabels) graph_.AddXLabel(HertzToBin(band.hertz), band.text);
  graph_.RepaintNow();
}

void CEqualizerDlg::OnDpiChanged(int dpi) {
  ::SendMessageA(Item(IDC_EQ_PRESETS), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(DpiScale(dpi, kNameColumnWidth), 0));
}

void CEqualizerDlg::FillPresetList() {
  HWND list = Item(IDC_EQ_PRESETS);
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = DpiScale(Handle(), kNameColumnWidth);
  column.pszText = const_cast<char*>("name");
  ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

  // The current file's preset is selected; the last match if several share
  // the id, the first row if none does.
  const int32_t currentId = target_.CurrentPresetId();
  int selected = 0;
  const std::vector<EqPreset> presets = target_.presets().Presets();
  for (const EqPreset& preset : presets) {
    const int row = AppendPresetItem(preset.name, preset.id);
    if (preset.id == currentId) selected = row;
  }

  HWND types = Item(IDC_EQ_TYPE);
  for (int32_t type = 0; type < kEqTypeCount; ++type) {
    ::SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FindEqType(type)->displayName));
  }
  ::SendMessageA(types, CB_SETCURSEL, 0, 0);

  // Selecting raises the item-changed notice, which loads and applies it.
  SelectItem(selected);
  LoadSelectedPreset();
}

int CEqualizerDlg::AppendPresetItem(const std::string& name, int32_t id) {
  HWND list = Item(IDC_EQ_PRESETS);
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = const_cast<char*>(name.c_str());
  item.lParam = static_cast<LPARAM>(id);
  return static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void CEqualizerDlg::SelectItem(int row) {
  HWND list = Item(IDC_EQ_PRESETS);
  if (row < 0 || row >= static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0))) return;
  presetList_.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ::SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int32_t CEqualizerDlg::SelectedPresetId() const {
  const int row = presetList_.GetFirstSelected();
  if (row < 0) return -1;
  return static_cast<int32_t>(presetList_.GetItemData(row));
}

void CEqualizerDlg::LoadSelectedPreset() {
  const int32_t id = SelectedPresetId();
  if (id < 0) return;
  const std::optional<EqPreset> preset = target_.presets().FindPreset(id);
  if (!preset) return;
  ::SendMessageA(Item(IDC_EQ_TYPE), CB_SETCURSEL, static_cast<WPARAM>(preset->type), 0);
  editedPresetId_ = id;
  graph_.ClearPoints();
  for (size_t i = 0; i < preset->points.size(); ++i) graph_.SetPoint(i, preset->points[i].x, preset->points[i].y);
  // Graphic types keep their bands: only the gains move.
  const bool parametric = preset->type == EqTypeParametric;
  graph_.SetXLocked(!parametric);
  graph_.SetCanAddRemove(parametric);
  graph_.RepaintNow();
}

void CEqualizerDlg::ApplySelected() {
  const int32_t id = SelectedPresetId();
  target_.ApplyPreset(id < 0 ? 0 : id);
}

// --- handlers ------------------------------------------------------------------

LRESULT CEqualizerDlg::OnAddPreset(WPARAM, LPARAM, bool&) {
  const int32_t id = target_.presets().AddNewPreset([this] { return target_.NextEntryId(); });
  const std::optional<EqPreset> preset = target_.presets().FindPreset(id);
  SelectItem(AppendPresetItem(preset ? preset->name : "new", id));
  LoadSelectedPreset();
  ApplySelected();
  return 0;
}

LRESULT CEqualizerDlg::OnDeletePreset(WPARAM, LPARAM, bool&) {
  const int row = presetList_.GetFirstSelected();
  const int32_t id = SelectedPresetId();
  if (row < 0 || id == 0) return 0;  // "Default" stays
  ::SendMessageA(Item(IDC_EQ_PRESETS), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  target_.presets().DeletePreset(id, [this](int32_t deleted) { target_.ResetFilePresets(deleted); });
  editedPresetId_ = -1;
  SelectItem(0);
  LoadSelectedPreset();
  ApplySelected();
  return 0;
}

LRESULT CEqualizerDlg::OnTypeChanged(WPARAM, LPARAM, bool&) {
  const int32_t id = SelectedPresetId();
  if (id < 0) return 0;
  const LRESULT type = ::SendMessageA(Item(IDC_EQ_TYPE), CB_GETCURSEL, 0, 0);
  if (type == CB_ERR) return 0;
  target_.presets().SetPresetType(id, static_cast<int32_t>(type));
  LoadSelectedPreset();
  ApplySelected();
  return 0;
}

LRESULT CEqualizerDlg::OnPresetItemChanged(WPARAM, LPARAM lParam, bool&) {
  // Only a change of selection matters; text changes (a rename) and focus
  // moves leave the curve alone.
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
  if ((change->uChanged & LVIF_STATE) == 0 || ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) == 0) {
    return 0;
  }
  if ((change->uNewState & LVIS_SELECTED) == 0) return 0;  // the deselection half of a move
  LoadSelectedPreset();
  if (SelectedPresetId() >= 0) ApplySelected();
  return 0;
}

LRESULT CEqualizerDlg::OnPresetLabelEdited(WPARAM, LPARAM lParam, bool&) {
  const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
  // A null text is a cancelled edit (escape): the name stays. An empty name
  // would leave a row nobody can see or click: refused.
  if (info->item.pszText == nullptr || info->item.pszText[0] == '\0') return FALSE;
  const int row = info->item.iItem;
  if (row < 0) return FALSE;
  const int32_t id = static_cast<int32_t>(presetList_.GetItemData(row));
  target_.presets().SetPresetName(id, info->item.pszText);
  return TRUE;  // the list takes the new text
}

LRESULT CEqualizerDlg::OnPresetKeyDown(WPARAM, LPARAM lParam, bool&) {
  // F2 renames the selected preset, as in other lists of the system.
  const auto* key = reinterpret_cast<const NMLVKEYDOWN*>(lParam);
  const int row = presetList_.GetFirstSelected();
  if (key->wVKey == VK_F2 && row >= 0) {
    ::SetFocus(Item(IDC_EQ_PRESETS));
    // The W form: the list view then edits in a Unicode box, which keeps a
    // name typed in any script (framework/application.h).
    ::SendMessageW(Item(IDC_EQ_PRESETS), LVM_EDITLABELW, static_cast<WPARAM>(row), 0);
  }
  return 0;
}

LRESULT CEqualizerDlg::OnCurveChanged(WPARAM, LPARAM, bool&) {
  const int32_t id = SelectedPresetId();
  if (id < 0 || editedPresetId_ < 0) return 0;
  target_.presets().ReplacePresetPoints(editedPresetId_, graph_.CopyPoints());
  target_.ApplyPreset(id);
  return 0;
}

LRESULT CEqualizerDlg::OnSize(WPARAM wParam, LPARAM lParam, bool& handled) {
  if (layout_.OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam))) AddBandLabels();
  handled = false;
  return 0;
}

LRESULT CEqualizerDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam, bool&) {
  layout_.GetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
  return 0;
}
