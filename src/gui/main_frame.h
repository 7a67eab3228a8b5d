// The main window on the screen: a frame (it holds the menu bar) rendered
// from the main dialog's model, its menu bar from the menu model, the
// status window, and a drop target handing files dropped from a file
// manager to the main dialog.
#pragma once

#include <functional>
#include <memory>
#include <vector>

class MainWindow;
class MenuBarView;
class ModelWindow;
class SheetModel;
class SheetWindow;
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

    // The window of a property sheet the menu has opened, null before.
    SheetWindow* SheetView(const SheetModel& sheet) const;

    // Called when the model has destroyed the main window (it was closed).
    std::function<void()> onClosed;

private:
    // Gives a property sheet of the main window its window, once.
    void AttachSheet(SheetModel& sheet);

    MainWindow& main_;
    std::unique_ptr<MenuBarView> menu_;
    std::unique_ptr<ModelWindow> view_;
    std::unique_ptr<ModelWindow> status_;
    std::vector<std::unique_ptr<SheetWindow>> sheets_;
};
