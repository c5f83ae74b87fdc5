// The table model of the download grid, over the download queue: one row per
// item in queue order, changing row by row as the queue tells of its changes
// (inserts, removals, moves, and the cells an item's change touches). It also
// keeps the row selection flags, which are apart from the selection of cells,
// and the column captions and row colours that the grid's set-up gives it.
#pragma once

#include "list/download_queue.h"
#include "platform/clock.h"
#include "platform/grid.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QTimer>

#include <array>
#include <unordered_set>

namespace tarnwick::qt {

class DownloadQueueModel : public QAbstractTableModel, private list::QueueObserver {
    Q_OBJECT

public:
    // A downloading item's progress is told on the screen's beat, once the
    // skin has drawn what changed at that mark (OnSkinDrawn), or a
    // little after the mark when the skin drew nothing: its cell repaints no
    // more often than that, however fast the bytes come, and in the same
    // drawing of the window as the skin.
    static constexpr platform::Duration kAfterBeat{20};

    // Whether the row's own selection flag is set.
    static constexpr int kRowSelectedRole = Qt::UserRole + 1;
    // The percentage of a downloading item with a known size; none otherwise.
    static constexpr int kProgressRole = Qt::UserRole + 2;

    explicit DownloadQueueModel(list::DownloadQueue& queue, QObject* parent = nullptr);
    ~DownloadQueueModel() override;

    void SetColumnCaption(int column, const QString& caption);
    void SetColumnEditable(int column, bool editable);
    void SetRowColours(QColor background, QColor text, QColor selected_background,
                       QColor selected_text);

    bool IsRowSelected(int row) const;
    void SetRowSelected(int row, bool selected);
    // Every row's flag at once, told as one change.
    void SelectAllRows();
    void ClearRowSelection();
    void SetEditHandler(platform::GridEditHandler* handler) { edit_handler_ = handler; }
    // The skin drew a frame: progress waiting for the mark just past goes
    // into the same drawing of the window.
    void OnSkinDrawn();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    void OnInserting(int position) override;
    void OnInserted(int position) override;
    void OnRemoving(int position) override { OnRemovingRange(position, position); }
    void OnRemoved(int position) override { OnRemovedRange(position, position); }
    void OnRemovingRange(int first, int last) override;
    void OnRemovedRange(int first, int last) override;
    void OnBatchBegin() override { in_batch_ = true; }
    void OnBatchEnd() override;
    void OnMoving(int from, int to) override;
    void OnMoved(int from, int to) override;
    void OnChanged(int position, unsigned fields) override;

    void RenumberFrom(int position);
    void TellChanged(int first_row, int last_row, int first_column, int last_column);
    void TellRowsSelectedChanged(int first_row, int last_row);
    // A change of a downloading item's progress alone, which waits for the beat.
    bool IsProgressOnly(int position, unsigned fields) const;
    void TellProgress(list::ItemKey key);
    void TellWaitingProgress();
    bool HasCell(const QModelIndex& index) const;
    QVariant CellText(const list::DownloadItem& item, int column) const;

    list::DownloadQueue& queue_;
    std::unordered_set<list::ItemKey> selected_rows_;
    std::array<QString, platform::kColumnCount> captions_{};
    std::array<bool, platform::kColumnCount> editable_{};
    QColor row_background_{Qt::white};
    QColor row_text_{Qt::black};
    QColor selected_background_{57, 69, 73};
    QColor selected_text_{Qt::white};
    platform::GridEditHandler* edit_handler_ = nullptr;
    // Within a batch, the cells that changed are told once, at its end: the
    // rows from renumber_from_ on, and the box of changed cells.
    bool in_batch_ = false;
    int renumber_from_ = -1;
    int changed_rows_[2] = {-1, -1};
    int changed_columns_[2] = {-1, -1};
    // Progress waits for the screen's next beat, kAfterBeat at the latest.
    QTimer progress_beat_;
    std::unordered_set<list::ItemKey> progress_waiting_;
};

} // namespace tarnwick::qt
