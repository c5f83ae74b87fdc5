// Fakes of the main window, the tray and the input hooks that record what
// the program asked of them, in one log.
#pragma once

#include "platform/input_hooks.h"
#include "platform/main_window.h"
#include "platform/tray.h"

#include <string>
#include <vector>

namespace tarnwick::fakes {

class FakeMainWindow : public platform::MainWindow {
public:
    explicit FakeMainWindow(std::vector<std::string>& log) : log_(log) {}

    void SetCaption(const std::string& caption) override { log_.push_back("caption " + caption); }
    void SetIcon(const std::string& path) override { log_.push_back("icon " + path); }
    void SetSize(int width, int height) override {
        normal.width = width;
        normal.height = height;
        log_.push_back("size " + Box(0, 0, width, height));
    }
    void PlaceSkin(int left, int top, int width, int height) override {
        log_.push_back("skin " + Box(left, top, width, height));
    }
    bool LoadSkin(const std::string& path, std::string& error) override {
        log_.push_back("load " + path);
        if (!skin_loads) error = "no such file";
        return skin_loads;
    }
    void PlaceGrid(int left, int top, int width, int height) override {
        log_.push_back("grid " + Box(left, top, width, height));
    }
    void Show() override {
        visible = true;
        log_.push_back("show");
    }
    void Hide() override {
        visible = false;
        log_.push_back("hide");
    }
    bool IsVisible() const override { return visible; }
    void Minimize() override { log_.push_back("minimize"); }
    void BringToFront() override {
        visible = true;
        log_.push_back("front");
    }
    void StartDrag() override { log_.push_back("drag"); }
    void Quit() override { log_.push_back("quit"); }
    void SetWindowCommands(platform::UserCommands* commands) override {
        window_commands = commands;
    }
    platform::Rect NormalGeometry() const override { return normal; }
    void SetNormalGeometry(const platform::Rect& rect) override {
        normal = rect;
        log_.push_back("geometry " + Box(rect.left, rect.top, rect.width, rect.height));
    }
    bool IsMaximized() const override { return maximized; }
    void SetMaximized(bool maximized) override {
        this->maximized = maximized;
        log_.push_back(maximized ? "maximize" : "restore");
    }
    platform::Rect AvailableArea(const platform::Rect& rect) const override {
        areas_asked.push_back(rect);
        return available;
    }
    void StartResize(unsigned edges) override { log_.push_back("resize " + std::to_string(edges)); }
    void SetGeometryListener(platform::WindowGeometryListener* listener) override {
        geometry_listener = listener;
    }

    bool visible = true;
    platform::UserCommands* window_commands = nullptr;
    bool skin_loads = true;
    platform::Rect normal;
    bool maximized = false;
    platform::Rect available{0, 0, 1920, 1050};
    mutable std::vector<platform::Rect> areas_asked;
    platform::WindowGeometryListener* geometry_listener = nullptr;

private:
    static std::string Box(int left, int top, int width, int height) {
        return std::to_string(left) + "," + std::to_string(top) + " " + std::to_string(width) +
               "x" + std::to_string(height);
    }
    std::vector<std::string>& log_;
};

class FakeTray : public platform::Tray {
public:
    explicit FakeTray(std::vector<std::string>& log) : log_(log) {}

    void SetIcon(const std::string& path) override { log_.push_back("tray icon " + path); }
    void SetTip(const std::string& tip) override { log_.push_back("tray tip " + tip); }
    void SetInTray(bool in_tray) override {
        this->in_tray = in_tray;
        log_.push_back(in_tray ? "tray in" : "tray out");
    }
    bool InTray() const override { return in_tray; }
    bool IsAvailable() const override { return available; }
    void PopupMenu(const std::vector<platform::TrayMenuEntry>& entries) override {
        menus.push_back(entries);
        log_.push_back("tray menu");
    }
    void SetListener(platform::TrayListener* listener) override { this->listener = listener; }

    bool in_tray = false;
    bool available = true;
    std::vector<std::vector<platform::TrayMenuEntry>> menus;
    platform::TrayListener* listener = nullptr;

private:
    std::vector<std::string>& log_;
};

class FakeInputHooks : public platform::InputHooks {
public:
    explicit FakeInputHooks(std::vector<std::string>& log) : log_(log) {}

    bool FilterSkinInput(bool enable) override {
        log_.push_back(enable ? "hook skin" : "unhook skin");
        return true;
    }
    void ForwardWheel(platform::WheelListener* listener) override {
        wheel = listener;
        log_.push_back(listener ? "hook wheel" : "unhook wheel");
    }

    platform::WheelListener* wheel = nullptr;

private:
    std::vector<std::string>& log_;
};

} // namespace tarnwick::fakes
