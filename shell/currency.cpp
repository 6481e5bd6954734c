// The currency symbol on money fields, and the tax rate labelled VAT or tax by that symbol.
#include <string>

#include "shell/tolvarn_main.h"

namespace tolvarn {

void TolvarnMain::ManageCurrency(bool StripSymbols, bool AddSymbols) {
  Guarded("Currency Management Error", [&] {
    WindowState& state = State();
    FieldStore& fields = Fields();
    // 202: the first step that can fail (201 came before it with nothing in between).
    state.ErrorLocation = 202;
    // The symbol is removed as it was last added, then worked out afresh, so a change of the
    // user's settings is carried over at the next call.
    if (StripSymbols && !state.CurrencySymbol.empty()) {
      for (const Field field : kMoneyFields) {
        const std::string& text = fields.Text(field);
        if (text.starts_with(state.CurrencySymbol)) {
          scratch_.assign(text, state.CurrencySymbol.size());
          fields.SetText(field, scratch_);
        }
      }
    }
    state.ErrorLocation = 203;
    state.CurrencySymbol = platform().locale.CurrencySymbol();

    if (AddSymbols) {
      for (const Field field : kMoneyFields) {
        if (field == Field::Item1SCost) state.ErrorLocation = 204;
        if (field == Field::Item1Day) state.ErrorLocation = 205;
        if (field == Field::DaySave) state.ErrorLocation = 206;
        const std::string& text = fields.Text(field);
        if (text.empty()) continue;
        // The tariff charges always get one; the others only if they do not start with one.
        const bool always = field == Field::WVCost || field == Field::SVCost;
        if (always || !text.starts_with(state.CurrencySymbol)) {
          scratch_.assign(state.CurrencySymbol).append(text);
          fields.SetText(field, scratch_);
        }
      }
    }

    state.ErrorLocation = 207;
    const bool vat = state.CurrencySymbol == "\u00A3" || state.CurrencySymbol == "\u20AC";
    fields.SetCaption(Field::VRateH, vat ? "VAT:" : "Tax:");
    fields.SetToolTip(Field::VRate, vat ? "VAT Rate (0 or between 1.0 and 50.0%)"
                                        : "Tax Rate (0 or between 1.0 and 50.0%)");
  });
}

}  // namespace tolvarn
