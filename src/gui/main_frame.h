// The main window on the screen: a frame (it holds the menu bar) rendered
// from the main dialog's model, its menu bar from the menu model, the
// status window, and a drop target handing files dropped from a file
// manager to the main dialog.
#pragma once

#include <functional>
#include <memory>

class MainWindow;
class MenuBarView;
class ModelWindow;
class wxFileDropTarget;

class MainFrame {
public:
    // Observes the main window's dialog, menu and status window; the frame
    // is built when the model creates its window.
    explicit MainFrame(MainWindow& main);
    ~MainFrame();
    MainFrame(const MainFrame&) = delete;
    MainFrame& operator=(const MainFrame&) = delete;

    ModelWindow& View() const { return *view_; }
    MenuBarView& MenuBar() const { return *menu_; }
    ModelWindow& StatusView() const { return *status_; }
    // The frame's drop target, null while there is no frame.
    wxFileDropTarget* DropTarget() const;

    // Called when the model has destroyed the main window (it was closed).
    std::function<void()> onClosed;

private:
    MainWindow& main_;
    std::unique_ptr<MenuBarView> menu_;
    std::unique_ptr<ModelWindow> view_;
    std::unique_ptr<ModelWindow> status_;
};
