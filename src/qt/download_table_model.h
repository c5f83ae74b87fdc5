// A table model over the download view the grid is bound to. It keeps the
// row selection flags, which are apart from the selection of cells, and the
// column captions and row colours that the grid's set-up gives it.
#pragma once

#include "list/download_view.h"
#include "platform/grid.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace tarnwick::platform::qt {

class DownloadTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Extra role: whether the row's own selection flag is set.
    static constexpr int kRowSelectedRole = Qt::UserRole + 1;

    explicit DownloadTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetView(std::shared_ptr<list::DownloadView> view);
    const list::DownloadView* View() const { return view_.get(); }

    void SetColumnCaption(int column, const QString& caption);
    void SetColumnEditable(int column, bool editable);
    void SetRowColours(QColor background, QColor text, QColor selected_background,
                       QColor selected_text);

    bool IsRowSelected(int row) const;
    void SetRowSelected(int row, bool selected);

    // Writes a cell without the editing notifications.
    void WriteCell(int row, int column, const std::string& value);
    void SetEditHandler(GridEditHandler* handler) { edit_handler_ = handler; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    bool HasCell(const QModelIndex& index) const;

    std::shared_ptr<list::DownloadView> view_;
    std::vector<bool> row_selected_;
    std::array<QString, list::kColumnCount> captions_{};
    std::array<bool, list::kColumnCount> editable_{};
    QColor row_background_{Qt::white};
    QColor row_text_{Qt::black};
    QColor selected_background_{57, 69, 73};
    QColor selected_text_{Qt::white};
    GridEditHandler* edit_handler_ = nullptr;
};

} // namespace tarnwick::platform::qt
