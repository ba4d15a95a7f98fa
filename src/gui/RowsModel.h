#pragma once

// A model over rows held as values. The view asks only for the rows in sight, so a list of
// thousands costs no more on screen than one of a few; a subclass says what each row shows.

#include <QAbstractTableModel>

#include <utility>
#include <vector>

template <typename Row, typename Base = QAbstractTableModel>
class RowsModel : public Base {
public:
    using Base::Base;

    void setRows(std::vector<Row> rows) {
        this->beginResetModel();
        rows_ = std::move(rows);
        this->endResetModel();
    }
    const std::vector<Row>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(rows_.size());
    }

protected:
    // The row of `index`, or none for an index that holds no row.
    const Row* rowAt(const QModelIndex& index) const {
        if (!index.isValid() || index.row() < 0 || index.row() >= int(rows_.size()))
            return nullptr;
        return &rows_[std::size_t(index.row())];
    }

private:
    std::vector<Row> rows_;
};
