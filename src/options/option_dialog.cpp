#include "options/option_dialog.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

#include "program/file_io.h"
#include "program/program_changes.h"
#include "program/system_blocks.h"

namespace tramond {

namespace {

constexpr int kNotUsed = 321;
constexpr int kErrorOpeningFile = 398;
constexpr int kErrorTitle = 677;
constexpr int kWrongInput = 681;

std::uint8_t toByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

// --- bindings ---------------------------------------------------------------

int Binding::read(const ApplicationBlock& app) const {
    const int byte = app.u8(offset);
    switch (kind) {
        case Kind::None: return 0;
        case Kind::Bit: return (byte & mask) != 0 ? 1 : 0;
        case Kind::Byte: return byte;
        case Kind::Field: return (byte & mask) >> std::countr_zero(mask);
        case Kind::PortDigit: return byte % 10;
        case Kind::TensDigit: return byte / 10;
    }
    return 0;
}

void Binding::write(ApplicationBlock& app, int value) const {
    const int byte = app.u8(offset);
    switch (kind) {
        case Kind::None: return;
        case Kind::Bit:
            app.setU8(offset, toByte(value ? (byte | mask) : (byte & ~mask)));
            return;
        case Kind::Byte:
            // The engine refuses such numbers before they get here.
            if (value < 0 || value > 255) throw std::out_of_range("byte value " + std::to_string(value));
            app.setU8(offset, static_cast<std::uint8_t>(value));
            return;
        case Kind::Field: {
            const int shifted = (std::max(value, 0) << std::countr_zero(mask)) & mask;
            app.setU8(offset, toByte((byte & ~mask) | shifted));
            return;
        }
        case Kind::PortDigit:
            app.setU8(offset, toByte(byte / 10 * 10 + std::clamp(value, 0, 9)));
            return;
        case Kind::TensDigit:
            app.setU8(offset, toByte(std::clamp(value, 0, 25) * 10 + byte % 10));
            return;
    }
}

Binding flagOption(int flag, int option) {
    if (option < 1 || option > 8) throw std::out_of_range("option " + std::to_string(option));
    return {Binding::Kind::Bit, ApplicationBlock::flagOffset(flag),
            static_cast<std::uint8_t>(1u << (option - 1))};
}
Binding flagValue(int flag) { return {Binding::Kind::Byte, ApplicationBlock::flagOffset(flag), 0xff}; }
Binding flagField(int flag, std::uint8_t mask) {
    return blockField(ApplicationBlock::flagOffset(flag), mask);
}
Binding flagPortDigit(int flag) {
    return {Binding::Kind::PortDigit, ApplicationBlock::flagOffset(flag), 0xff};
}
Binding flagTensDigit(int flag) {
    return {Binding::Kind::TensDigit, ApplicationBlock::flagOffset(flag), 0xff};
}
Binding blockBit(std::size_t offset, int bit) {
    if (bit < 0 || bit > 7) throw std::out_of_range("bit " + std::to_string(bit));
    return {Binding::Kind::Bit, offset, static_cast<std::uint8_t>(1u << bit)};
}
Binding blockByte(std::size_t offset) { return {Binding::Kind::Byte, offset, 0xff}; }
Binding blockField(std::size_t offset, std::uint8_t mask) {
    if (mask == 0) throw std::invalid_argument("empty field mask");
    return {Binding::Kind::Field, offset, mask};
}

// --- table helpers ----------------------------------------------------------

namespace {

ControlRow make(std::string_view name, ControlKind kind, std::string_view prefix, int text,
                 Binding binding) {
    ControlRow c;
    c.name = name;
    c.kind = kind;
    c.prefix = prefix;
    c.text = text;
    c.binding = binding;
    return c;
}

}  // namespace

ControlRow checkBox(std::string_view name, std::string_view prefix, int text, Binding binding) {
    return make(name, ControlKind::CheckBox, prefix, text, binding);
}
ControlRow numberBox(std::string_view name, std::string_view prefix, int text, Binding binding) {
    return make(name, ControlKind::NumberBox, prefix, text, binding);
}
ControlRow list(std::string_view name, std::string_view prefix, int text, Binding binding) {
    return make(name, ControlKind::List, prefix, text, binding);
}

ControlRow&& ControlRow::numberRequired() && {
    validate = [](OptionDialog& d, std::size_t i) -> std::optional<Message> {
        auto& s = d.state(i);
        if (isNumber(s.text)) return std::nullopt;
        s.text.clear();
        return d.wrongInput();
    };
    return std::move(*this);
}

std::vector<ListItem> portItems(int last) {
    std::vector<ListItem> items{{kNotUsed, "Not Used"}};
    for (int p = 1; p <= last; ++p) items.push_back({-1, std::to_string(p)});
    return items;
}

std::vector<ListItem> numberItems(int first, int last) {
    std::vector<ListItem> items;
    for (int n = first; n <= last; ++n) items.push_back({-1, std::to_string(n)});
    return items;
}

bool isNumber(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int numberValue(const std::string& text) {
    if (!isNumber(text)) return 0;
    int v = 0;
    for (char c : text) v = std::min(v * 10 + (c - '0'), 100000);
    return v;
}

DialogPosition placeDialog(int mainWindowLeft, int mainWindowTop) {
    return {mainWindowLeft, mainWindowTop + kDialogTopOffset};
}

// --- the dialog -------------------------------------------------------------

OptionDialog::OptionDialog(const OptionDialogTable& table, ProgramSession& session,
                           const LanguageTexts& texts, Mode mode, OptionDialog* opener)
    : table_(table),
      session_(session),
      texts_(texts),
      mode_(mode),
      opener_(opener),
      snapshot_(session.app),
      machines_(session) {
    states_.resize(table_.controls.size());
    for (std::size_t i = 0; i < states_.size(); ++i) fillControl(i);
    if (table_.opened) table_.opened(*this);
}

void OptionDialog::refill() {
    for (std::size_t i = 0; i < states_.size(); ++i) fillControl(i);
}

std::string OptionDialog::text(int n, std::string_view fallback) const {
    const auto& t = texts_.text(n);
    return t.empty() ? std::string(fallback) : t;
}

std::string OptionDialog::caption() const {
    if (table_.captionText >= 0 && !texts_.text(table_.captionText).empty())
        return texts_.plain(table_.captionText);
    return std::string(table_.caption);
}

std::size_t OptionDialog::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < table_.controls.size(); ++i)
        if (table_.controls[i].name == name) return i;
    throw std::out_of_range("no control " + std::string(name) + " in " + std::string(table_.name));
}

void OptionDialog::fillControl(std::size_t i) {
    const auto& c = table_.controls[i];
    auto& s = states_[i];

    std::string main = c.text >= 0 ? texts_.text(c.text) : std::string(c.literal);
    s.caption = std::string(c.prefix) + (c.plainCaption ? withoutAccelerators(main) : main) +
                std::string(c.suffix) + (c.suffixText >= 0 ? texts_.text(c.suffixText) : std::string());

    s.visible = !c.hidden && (c.text < 0 || texts_.visible(c.text));
    switch (c.gate) {
        case Gate::Text: {
            const int n = c.gateText >= 0 ? c.gateText : c.text;
            s.enabled = n < 0 || texts_.enabled(n);
            break;
        }
        case Gate::Always:
        case Gate::Custom: s.enabled = true; break;
        case Gate::Never: s.enabled = false; break;
    }
    if (c.hidden) s.enabled = false;
    s.hint = std::string(c.hint);

    s.items.clear();
    for (const auto& item : c.items)
        s.items.push_back(item.text >= 0 ? text(item.text, item.literal) : item.literal);

    const int stored = c.read ? c.read(*this) : c.binding.read(block());
    switch (c.kind) {
        case ControlKind::CheckBox:
            s.value = c.read ? (stored != 0) : ((stored != 0) != c.inverted);
            break;
        case ControlKind::List: {
            int index = stored;
            if (!c.read && !c.values.empty()) {
                auto it = std::find(c.values.begin(), c.values.end(), stored);
                index = it == c.values.end() ? -1 : static_cast<int>(it - c.values.begin());
            }
            s.value = index >= 0 && index < static_cast<int>(s.items.size()) ? index : -1;
            break;
        }
        case ControlKind::NumberBox:
            s.text = std::to_string(stored);
            s.value = stored;
            break;
        case ControlKind::Label: break;
    }
    if (c.fill) c.fill(*this, s);
}

bool OptionDialog::usable(std::size_t i) const { return states_[i].visible && states_[i].enabled; }

int OptionDialog::value(std::size_t i) const {
    const auto& c = table_.controls.at(i);
    return c.kind == ControlKind::NumberBox ? numberValue(states_[i].text) : states_[i].value;
}

void OptionDialog::writeControl(std::size_t i) {
    const auto& c = table_.controls.at(i);
    const int v = value(i);
    if (c.write) {
        c.write(*this, v);
        return;
    }
    switch (c.kind) {
        case ControlKind::CheckBox: c.binding.write(block(), (v != 0) != c.inverted ? 1 : 0); break;
        case ControlKind::List:
            // A stored value the list does not know shows no item; it is
            // kept rather than replaced by a value no item stands for.
            if (v < 0) break;
            c.binding.write(block(), c.values.empty() ? v : c.values.at(static_cast<std::size_t>(v)));
            break;
        case ControlKind::NumberBox: c.binding.write(block(), v); break;
        case ControlKind::Label: break;
    }
}

bool OptionDialog::allowed(std::size_t i) {
    const auto& c = table_.controls[i];
    return !c.click || c.click(*this);
}

int OptionDialog::limit(std::size_t i) const {
    const auto& c = table_.controls.at(i);
    if (c.maxValue >= 0) return c.maxValue;
    switch (c.binding.kind) {
        case Binding::Kind::Field: return c.binding.mask >> std::countr_zero(c.binding.mask);
        case Binding::Kind::PortDigit: return 9;
        case Binding::Kind::TensDigit: return 25;
        case Binding::Kind::Bit: return 1;
        case Binding::Kind::None:
        case Binding::Kind::Byte: return 255;
    }
    return 255;
}

std::optional<Message> OptionDialog::checkLimit(std::size_t i) {
    const auto& c = table_.controls[i];
    if (c.kind != ControlKind::NumberBox || !usable(i)) return std::nullopt;
    const int max = limit(i);
    if (numberValue(states_[i].text) <= max) return std::nullopt;
    auto m = wrongInput();
    m.text += " (0 - " + std::to_string(max) + ")";
    m.focus = std::string(c.name);
    return m;
}

void OptionDialog::afterChange(std::size_t i) {
    const auto& c = table_.controls[i];
    if (c.writeOnChange) writeControl(i);
    if (c.changed) c.changed(*this);
}

bool OptionDialog::setChecked(std::string_view name, bool checked) {
    const auto i = indexOf(name);
    if (table_.controls[i].kind != ControlKind::CheckBox || !usable(i)) return false;
    if (!allowed(i)) return false;
    states_[i].value = checked ? 1 : 0;
    afterChange(i);
    return true;
}

bool OptionDialog::select(std::string_view name, int item) {
    const auto i = indexOf(name);
    if (table_.controls[i].kind != ControlKind::List || !usable(i)) return false;
    if (item < 0 || item >= static_cast<int>(states_[i].items.size())) return false;
    if (!allowed(i)) return false;
    states_[i].value = item;
    afterChange(i);
    return true;
}

bool OptionDialog::setText(std::string_view name, std::string text) {
    const auto i = indexOf(name);
    const auto& c = table_.controls[i];
    if (c.kind != ControlKind::NumberBox || !usable(i)) return false;
    if (!text.empty() && !isNumber(text)) return false;
    if (c.maxLength > 0 && static_cast<int>(text.size()) > c.maxLength) return false;
    if (!allowed(i)) return false;
    states_[i].text = std::move(text);
    afterChange(i);
    return true;
}

std::optional<Message> OptionDialog::leave(std::string_view name) {
    const auto i = indexOf(name);
    const auto& c = table_.controls[i];
    if (c.kind != ControlKind::NumberBox) return std::nullopt;
    if (c.validate)
        if (auto m = c.validate(*this, i)) return m;
    if (auto m = checkLimit(i)) {
        // The box goes back to what the block holds; nothing is cut to fit.
        const int stored = c.read ? c.read(*this) : c.binding.read(block());
        states_[i].text = std::to_string(stored);
        return m;
    }
    return std::nullopt;
}

Message OptionDialog::fileError() const {
    return {Message::Kind::Error, text(kErrorTitle, "Error"), text(kErrorOpeningFile, "Error opening File !!"), {}};
}

OptionDialogTable dialogTable(std::string_view name, int captionText, std::string_view caption) {
    OptionDialogTable d;
    d.name = name;
    d.captionText = captionText;
    d.caption = caption;
    return d;
}

bool saveApplication(ProgramSession& session, OkResult& result) {
    try {
        const auto changes = writeApplication(session);
        result.saved = changes.written;
        result.marked.assign(changes.codes.begin(), changes.codes.end());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void OptionDialog::cancel() {
    session_.app = snapshot_;
    if (mode_ == Mode::Standalone) machines_.cancel();
    refill();
    if (sessionChanged) sessionChanged();
}

Message OptionDialog::wrongInput() const {
    return {Message::Kind::Error, text(kErrorTitle, "Error"), text(kWrongInput, "Wrong Input!"), {}};
}

OkResult OptionDialog::ok() {
    OkResult r;
    if (table_.validateOk) {
        if (auto m = table_.validateOk(*this)) {
            r.message = std::move(m);
            return r;
        }
    }
    // A number too large for its byte keeps the dialog open on that box.
    for (std::size_t i = 0; i < states_.size(); ++i) {
        if (!table_.controls[i].writeOnOk) continue;
        if (auto m = checkLimit(i)) {
            r.message = std::move(m);
            return r;
        }
    }
    for (std::size_t i = 0; i < states_.size(); ++i)
        if (table_.controls[i].writeOnOk) writeControl(i);
    if (table_.beforeSave) table_.beforeSave(*this);

    r.changed = block() != snapshot_;
    if (mode_ == Mode::Standalone && !saveApplication(session_, r)) {
        // The dialog stays open: OK again retries; Cancel restores.
        r.message = fileError();
        return r;
    }
    if (table_.afterOk) table_.afterOk(*this, r.changed);
    r.close = true;
    return r;
}

}  // namespace tramond
