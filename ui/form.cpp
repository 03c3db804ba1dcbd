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

void Form::remove(Control* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
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

void Form::load() {
    if (loaded_) return;
    if (Backend* b = backend()) {
        peer_ = b->createPeer(*this);
        if (peer_) {
            // Image lists first: the controls that show their images look them up when created.
            for (Control* control : controls_)
                if (control->kind() == Kind::ImageList) control->realize();
            for (std::size_t i = 0; i < controls_.size(); ++i) controls_[i]->realize();
        }
    }
    loaded_ = true;
    shownSinceLoad_ = false;
    loadedList().push_back(this);
    Form_Load();
}

void Form::show() {
    if (!loaded_) load();
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

void Form::registeredMessage(const std::string& name) {
    if (tearingDown_) return;
    const auto it = onRegisteredMessage.find(name);
    if (it == onRegisteredMessage.end() || !it->second) return;
    // A copy: the handler may unload the form.
    auto handler = it->second;
    handler();
}

}  // namespace kvr::ui
