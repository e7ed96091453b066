#include "dialog/share_dialog_form.h"

#include "share/share_request.h"

namespace qv {

namespace {

using P = StoredProperty;
using namespace share_dialog_form;

FormObjectDescription Placed(const char* name, int left, int top, int width, int height) {
  return {AnsiString(name),
          {P{"Left", std::int64_t{left}}, P{"Top", std::int64_t{top}},
           P{"Width", std::int64_t{width}}, P{"Height", std::int64_t{height}}}};
}

FormObjectDescription LabelAt(const char* name, int left, int top, const char* caption) {
  return {AnsiString(name),
          {P{"Left", std::int64_t{left}}, P{"Top", std::int64_t{top}},
           P{"Caption", AnsiString(caption)}}};
}

// The stored settings of the dialog's own control kinds, in their stored order (positions,
// captions, the caption top that switches centring off).
FormObjectDescription Button(const char* name, int left, int top, int width, int height,
                             int tabOrder, const char* caption) {
  return {
      AnsiString(name),
      {P{"Left", std::int64_t{left}}, P{"Top", std::int64_t{top}}, P{"Width", std::int64_t{width}},
       P{"Height", std::int64_t{height}}, P{"TabOrder", std::int64_t{tabOrder}},
       P{"Image.Top", std::int64_t{0}}, P{"CaptionA.Caption", AnsiString(caption)},
       P{"CaptionTop", std::int64_t{8}}, P{"CaptionVertCenter", false}}};
}

FormDescription MakeDescription() {
  FormDescription form;
  form.Width = 612;
  form.Height = 388;
  form.FontHeight = -12;
  form.Controls = {
      {kHeaderPanel,
       {P{"Left", std::int64_t{0}}, P{"Top", std::int64_t{0}}, P{"Height", std::int64_t{97}}}},
      Placed(kHeaderIcon, 32, 16, 32, 32),
      LabelAt(kHeaderLine1, 88, 16, ""),
      LabelAt(kHeaderLine2, 88, 40, ""),
      LabelAt(kHeaderLine3, 88, 64, ""),
      LabelAt(kBrowseHint, 40, 128, "このコンピュータで管理する場所を[参照]ボタンより選択します:"),
      LabelAt(kSharePathLabel, 40, 160, "管理する場所:"),
      {kSharePathEdit,
       {P{"Left", std::int64_t{136}}, P{"Top", std::int64_t{157}}, P{"Width", std::int64_t{265}},
        P{"Height", std::int64_t{18}}, P{"TabStop", false}, P{"Color", FormIdent{"clBtnFace"}},
        P{"Ctl3D", false}, P{"ParentCtl3D", false}, P{"ReadOnly", true},
        P{"TabOrder", std::int64_t{0}}, P{"KeyEdit3D", FormIdent{"bsNone"}},
        P{"Long", std::int64_t{0}}}},
      Button(kBrowseButton, 408, 155, 49, 23, 1, "参照"),
      LabelAt(kSharePathExample, 136, 184, "例） C:\\VeltoData"),
      LabelAt(kShareNameHint, 40, 224,
              "他のコンピュータで表示させる共有フォルダの名前を入力します:"),
      LabelAt(kShareNameLabel, 40, 256, "共有名:"),
      {kShareNameEdit,
       {P{"Left", std::int64_t{136}}, P{"Top", std::int64_t{253}}, P{"Width", std::int64_t{137}},
        P{"Height", std::int64_t{18}}, P{"Ctl3D", false},
        P{"MaxLength", std::int64_t{kShareNameByteLimit}}, P{"ParentCtl3D", false},
        P{"TabOrder", std::int64_t{2}}, P{"KeyEdit3D", FormIdent{"bsNone"}},
        P{"Long", std::int64_t{0}}}},
      LabelAt(kShareNameExample, 136, 280, "例） VeltoData"),
      Button(kShareButton, 360, 304, 81, 26, 3, "共有"),
      Button(kCancelButton, 472, 304, 81, 26, 4, "キャンセル"),
      Placed(kLayoutMemo, 8, 296, 185, 49),
      // Left of the buttons, shown only while the share button's work runs.
      LabelAt(kBusyText, 232, 311, "設定しています…"),
  };
  return form;
}

}  // namespace

const FormDescription& ShareDialogFormDescription() {
  static const FormDescription form = MakeDescription();
  return form;
}

}  // namespace qv
