#include "ui/form.h"

#include <algorithm>

#include "ui/controls.h"

namespace kvr::ui {

namespace {
Backend* currentBackend = nullptr;
std::function<void(Form&)> helpHandler;
// Never destroyed: forms held in static storage may go after it at exit.
std::vector<Form*>& loadedList() {
    static auto* list = new std::vector<Form*>;
    return *list;
}

void forget(Form* form) {
    auto& list = loadedList();
    list.erase(std::remove(list.begin(), list.end(), form), list.end());
}
}  // namespace

void setBackend(Backend* backend) {
    currentBackend = backend;
}
Backend* backend() {
    return currentBackend;
}
std::vector<Form*> loadedForms() {
    return loadedList();
}

void setHelpHandler(std::function<void(Form&)> handler) {
    helpHandler = std::move(handler);
}
void requestHelp(Form& form) {
    if (helpHandler) helpHandler(form);
}

// ---------------------------------------------------------------------------------------------
// Control

Control::Control(Form& form, Kind kind, std::string name, std::string caption, Rect rect)
    : form_(form), kind_(kind), name_(std::move(name)), caption_(std::move(caption)), rect_(rect) {
    form_.add(this);
}

Control::~Control() {
    // Out of the collection first: messages the real control sends while it goes must not
    // find a half-destroyed object.
    form_.remove(this);
    detach();
}

void Control::notify(Change what) {
    if (peer_) peer_->changed(*this, what);
}

void Control::setCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    notify(Change::Caption);
}

void Control::setToolTipText(std::string text) {
    if (text == toolTip_) return;
    toolTip_ = std::move(text);
    notify(Change::ToolTip);
}

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    notify(Change::Enabled);
}

void Control::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    notify(Change::Visible);
}

void Control::setRect(Rect rect) {
    rect_ = rect;
    notify(Change::Rect);
}

void Control::setFont(Font font) {
    font_ = std::move(font);
    notify(Change::Font);
}

Hwnd Control::hWnd() const {
    if (peer_)
        if (const Hwnd h = peer_->windowHandle()) return h;
    return testHandle_;
}

void Control::click() {
    if (enabled_) raiseClick();
}

void Control::setFocus() {
    if (peer_)
        peer_->focus();
    else
        form_.userFocused(this);
}

bool Control::hasFocus() const {
    return form_.active_ == this;
}

void Control::bringToFront() {
    if (peer_) peer_->bringToFront();
}

bool Control::reachable() const {
    for (const Control* c = this; c; c = c->container)
        if (!c->visible_ || !c->enabled_) return false;
    return true;
}

void Control::raiseClick() {
    if (!onClick) return;
    // A copy: the handler may unload the form or destroy this control.
    auto handler = onClick;
    handler();
}

void Control::realize() {
    FormPeer* formPeer = form_.peer_.get();
    if (!formPeer || peer_) return;
    if (container && container != this && !container->peer_) container->realize();
    attach(formPeer->createPeer(*this));
}

// ---------------------------------------------------------------------------------------------
// Form

Form::Form(std::string name, std::string caption, Rect rect)
    : name_(std::move(name)), caption_(std::move(caption)), rect_(rect) {}

Form::~Form() {
    // A form destroyed while loaded must not stay listed.
    forget(this);
    peer_.reset();
}

void Form::add(Control* control) {
    int next = 0;
    for (const Control* other : controls_) next = std::max(next, other->tabIndex + 1);
    control->tabIndex = next;
    controls_.push_back(control);
}

void Form::remove(Control* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (active_ == control) active_ = nullptr;
}

void Form::notify(Change what) {
    if (peer_) peer_->changed(*this, what);
}

Control* Form::find(const std::string& name) const {
    for (Control* control : controls_)
        if (control->name() == name) return control;
    return nullptr;
}

Control* Form::find(const std::string& name, int index) const {
    for (Control* control : controls_)
        if (control->name() == name && control->index == index) return control;
    return nullptr;
}

void Form::setCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    notify(Change::Caption);
}

void Form::setRect(Rect rect) {
    const bool resized = rect.width != rect_.width || rect.height != rect_.height;
    rect_ = rect;
    if (peer_)
        notify(Change::Rect);
    else if (resized && loaded_)
        Form_Resize();
}

void Form::setWindowState(WindowState state) {
    if (state == state_) return;
    state_ = state;
    if (peer_) {
        // The real window reports the new size back through userResized.
        notify(Change::WindowState);
    } else if (visible_) {
        shownState_ = state;
        Form_Resize();
    }
}

void Form::realizeControls() {
    if (!peer_) return;
    // Image lists first: the controls that show their images look them up when created.
    for (Control* control : controls_)
        if (control->kind() == Kind::ImageList) control->realize();
    for (std::size_t i = 0; i < controls_.size(); ++i) controls_[i]->realize();
}

void Form::load() {
    if (loaded_) return;
    if (Backend* b = backend()) {
        peer_ = b->createPeer(*this);
        realizeControls();
    }
    loaded_ = true;
    shownSinceLoad_ = false;
    loadedList().push_back(this);
    Form_Load();
}

void Form::show() {
    if (!loaded_) {
        loadingToShow_ = true;
        load();
        loadingToShow_ = false;
    }
    if (!loaded_) return;  // unloaded by its own Form_Load
    visible_ = true;
    // The real window reports its own resize, and what that runs may even unload the form.
    if (peer_) {
        notify(Change::Visible);
        return;
    }
    if (!shownSinceLoad_ || shownState_ != state_) {
        shownSinceLoad_ = true;
        shownState_ = state_;
        Form_Resize();
    }
}

void Form::hide() {
    if (!visible_) return;
    visible_ = false;
    notify(Change::Visible);
}

void Form::showModal(Form* owner) {
    show();
    if (!loaded_ || !visible_) return;
    if (peer_) peer_->runModal(owner);
}

void Form::bringToTop() {
    if (peer_) peer_->bringToTop();
}

void Form::popupMenu(MenuItem& menu) {
    if (peer_) peer_->popupMenu(menu);
}

void Form::refresh() {
    if (peer_) peer_->refresh();
}

bool Form::unload(UnloadMode mode) {
    if (!loaded_ || unloading_) return true;
    unloading_ = true;
    if (Form_QueryUnload(mode)) {
        unloading_ = false;
        return false;
    }
    Form_Unload();
    tearingDown_ = true;
    // Controls' peers before the window that holds them, children before parents; image lists
    // last because the list views still show them until they go.
    for (std::size_t i = controls_.size(); i-- > 0;)
        if (controls_[i]->kind() != Kind::ImageList) controls_[i]->detach();
    for (std::size_t i = controls_.size(); i-- > 0;) controls_[i]->detach();
    peer_.reset();
    visible_ = false;
    loaded_ = false;
    active_ = nullptr;
    forget(this);
    unloading_ = false;
    tearingDown_ = false;
    return true;
}

Hwnd Form::hWnd() const {
    return peer_ ? peer_->handle() : testHandle_;
}

void Form::userResized(Rect rect, WindowState state) {
    if (tearingDown_) return;
    rect_ = rect;
    state_ = state;
    Form_Resize();
}

void Form::userMoved(Rect rect) {
    if (!tearingDown_) rect_ = rect;
}

void Form::hotkey(int id) {
    if (tearingDown_ || !onHotkey) return;
    // A copy: the handler may unload the form.
    auto handler = onHotkey;
    handler(id);
}

void Form::registeredMessage(const std::string& name) {
    if (tearingDown_) return;
    const auto it = onRegisteredMessage.find(name);
    if (it == onRegisteredMessage.end() || !it->second) return;
    // A copy: the handler may unload the form.
    auto handler = it->second;
    handler();
}

// ---------------------------------------------------------------------------------------------
// Focus and the keyboard

namespace {

bool takesFocus(Kind kind) {
    switch (kind) {
        case Kind::CommandButton:
        case Kind::CheckBox:
        case Kind::OptionButton:
        case Kind::TextBox:
        case Kind::ComboBox:
        case Kind::ListView:
        case Kind::TreeView:
        case Kind::TabStrip:
            return true;
        default:
            return false;
    }
}

bool isOption(const Control* c) {
    return c && c->kind() == Kind::OptionButton;
}

bool selected(const Control* c) {
    return static_cast<const OptionButton*>(c)->value();
}

// The letter or digit a caption marks with "&" (upper case), 0 when none.
int mnemonicOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        const char c = caption[++i];
        if (c == '&') continue;
        if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
        return 0;
    }
    return 0;
}

}  // namespace

void Form::userFocused(Control* control) {
    // While the controls go, the focus wanders over those still there: no events for that.
    if (control == active_ || tearingDown_) return;
    Control* previous = active_;
    active_ = control;
    if (previous && previous->onLostFocus) {
        auto handler = previous->onLostFocus;
        handler();
    }
    // The handler may have sent the focus on already.
    if (active_ != control || !control || !control->onGotFocus) return;
    auto handler = control->onGotFocus;
    handler();
}

std::vector<Control*> Form::tabOrder() const {
    std::vector<Control*> order;
    for (Control* c : controls_)
        if (takesFocus(c->kind()) && c->tabStop && c->reachable()) order.push_back(c);
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
    // An option group is one stop: its selected button, or its first when none is selected.
    std::vector<Control*> stops;
    for (Control* c : order) {
        if (!isOption(c)) {
            stops.push_back(c);
            continue;
        }
        Control* stop = nullptr;
        for (Control* other : order) {
            if (!isOption(other) || other->container != c->container) continue;
            if (!stop) stop = other;
            if (selected(other)) {
                stop = other;
                break;
            }
        }
        if (stop == c) stops.push_back(c);
    }
    return stops;
}

void Form::setTabOrder(const std::vector<Control*>& order) {
    std::vector<Control*> rest;
    for (Control* c : controls_)
        if (std::find(order.begin(), order.end(), c) == order.end()) rest.push_back(c);
    std::stable_sort(rest.begin(), rest.end(),
                     [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
    int place = 0;
    for (Control* c : order) c->tabIndex = place++;
    for (Control* c : rest) c->tabIndex = place++;
}

bool Form::moveFocus(bool forward) {
    const std::vector<Control*> order = tabOrder();
    if (order.empty()) return false;
    const auto at = std::find(order.begin(), order.end(), active_);
    Control* next = nullptr;
    if (at != order.end()) {
        const auto i = static_cast<std::size_t>(at - order.begin());
        next = order[(i + (forward ? 1 : order.size() - 1)) % order.size()];
    } else if (active_) {
        // From a control Tab does not stop at (the option buttons of a group that are not
        // selected, a control taken out): the next stop after its place.
        const int place = active_->tabIndex;
        for (Control* c : order) {
            if (forward && c->tabIndex > place) {
                next = c;
                break;
            }
            if (!forward && c->tabIndex < place) next = c;
        }
        if (!next) next = forward ? order.front() : order.back();
    } else {
        next = forward ? order.front() : order.back();
    }
    next->setFocus();
    return true;
}

bool Form::switchTab(bool forward) {
    for (Control* c : controls_) {
        if (c->kind() != Kind::TabStrip || !c->reachable()) continue;
        auto* strip = static_cast<TabStrip*>(c);
        const int count = static_cast<int>(strip->tabs().size());
        if (count == 0) return false;
        strip->select((strip->selectedIndex() + (forward ? 1 : count - 1)) % count);
        // A control of the page that went away must not keep the keys.
        if (!active_ || !active_->reachable()) strip->setFocus();
        return true;
    }
    return false;
}

bool Form::pressMnemonic(int keyCode) {
    std::vector<Control*> order = controls_;
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
    // The search starts after the focused control, as a repeated key goes on to the next
    // control with the same letter.
    const auto from = std::find(order.begin(), order.end(), active_);
    const std::size_t start =
        from == order.end() ? 0 : static_cast<std::size_t>(from - order.begin()) + 1;
    for (std::size_t n = 0; n < order.size(); ++n) {
        Control* c = order[(start + n) % order.size()];
        if (c->kind() == Kind::MenuItem || !c->reachable() || mnemonicOf(c->caption()) != keyCode)
            continue;
        switch (c->kind()) {
            case Kind::Label:
            case Kind::Frame: {
                // A label names the control that follows it.
                for (Control* next : tabOrder()) {
                    if (next->tabIndex > c->tabIndex) {
                        next->setFocus();
                        return true;
                    }
                }
                return false;
            }
            case Kind::CommandButton:
                c->click();
                return true;
            case Kind::CheckBox:
            case Kind::OptionButton:
                c->setFocus();
                c->click();
                return true;
            default:
                c->setFocus();
                return true;
        }
    }
    return false;
}

bool Form::dialogKey(int keyCode, int shift) {
    const bool withShift = (shift & shiftmask::kShift) != 0;
    const bool withCtrl = (shift & shiftmask::kCtrl) != 0;
    const bool withAlt = (shift & shiftmask::kAlt) != 0;
    if (withAlt) {
        const bool letter =
            (keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9');
        return letter && !withCtrl && pressMnemonic(keyCode);
    }
    switch (keyCode) {
        case key::kTab:
            return withCtrl ? switchTab(!withShift) : moveFocus(!withShift);
        case key::kReturn: {
            if (withCtrl) return false;
            Control* button = nullptr;
            if (active_ && active_->kind() == Kind::CommandButton && active_->reachable()) {
                button = active_;
            } else {
                for (Control* c : controls_) {
                    if (c->kind() == Kind::CommandButton && c->reachable() &&
                        static_cast<CommandButton*>(c)->isDefault) {
                        button = c;
                        break;
                    }
                }
            }
            if (!button) return false;
            button->click();
            return true;
        }
        case key::kEscape:
            if (withCtrl || withShift) return false;
            for (Control* c : controls_) {
                if (c->kind() == Kind::CommandButton && c->reachable() &&
                    static_cast<CommandButton*>(c)->isCancel) {
                    c->click();
                    return true;
                }
            }
            return false;
        case key::kLeft:
        case key::kUp:
        case key::kRight:
        case key::kDown: {
            if (withCtrl || !isOption(active_)) return false;
            std::vector<Control*> group;
            for (Control* c : controls_)
                if (isOption(c) && c->container == active_->container && c->reachable())
                    group.push_back(c);
            std::stable_sort(group.begin(), group.end(), [](const Control* a, const Control* b) {
                return a->tabIndex < b->tabIndex;
            });
            const auto at = std::find(group.begin(), group.end(), active_);
            if (at == group.end()) return false;
            const bool forward = keyCode == key::kRight || keyCode == key::kDown;
            const auto i = static_cast<std::size_t>(at - group.begin());
            Control* next = group[(i + (forward ? 1 : group.size() - 1)) % group.size()];
            next->setFocus();
            next->click();
            return true;
        }
        default:
            return false;
    }
}

}  // namespace kvr::ui
