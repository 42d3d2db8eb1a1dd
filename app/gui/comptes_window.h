// The window "Comptes": the accounts a job left in a folder, one row per account
// line, through Qt's model/view (a table model under a sort-and-filter proxy), so
// that tens of thousands of rows open and scroll at once. The counts per action
// of the rows shown sit at the top, a search box filters on any column without
// regard to case or accents, and a double-click opens the account's file at its
// line.
#pragma once

#include "sources/account_rows.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <array>
#include <filesystem>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

namespace gui {

// Opens a text file in the desktop's text editor at a line (from 1) when the
// editor found takes one on its command line, at its start otherwise. False when
// no program of the desktop could be started on it.
bool openFileAtLine(const std::filesystem::path& file, long line);

// A text as the search compares it: accents dropped (the marks of its canonical
// decomposition), case folded. "HÉLÈNE" and "helene" give the same.
QString searchFolded(const QString& text);

class AccountTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kColumns = 10;
    static constexpr int kLineColumn = 9;

    explicit AccountTableModel(std::vector<modvesk::AccountRow> rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    const modvesk::AccountRow& row(int r) const { return rows_[static_cast<size_t>(r)]; }
    const std::vector<modvesk::AccountRow>& rows() const { return rows_; }
    // Every cell of row r, folded for the search and one per line.
    const QString& searchText(int r) const { return searchTexts_[static_cast<size_t>(r)]; }

  private:
    std::vector<modvesk::AccountRow> rows_;
    // Every cell as shown, made once: sorting and filtering read them many times.
    std::vector<std::array<QString, kColumns>> cells_;
    std::vector<QString> searchTexts_;
};

class ComptesWindow : public QDialog {
    Q_OBJECT

  public:
    // What a double-click opens: the account's file and its line (from 1).
    using Opener = std::function<void(const std::filesystem::path& file, long line)>;

    // The accounts of the files of `folder`; `simulated` when they come from a dry run.
    ComptesWindow(const std::filesystem::path& folder, bool simulated, Opener open,
                  QWidget* parent = nullptr);

    AccountTableModel* model() const { return model_; }
    QSortFilterProxyModel* proxy() const { return proxy_; }
    QTableView* view() const { return view_; }
    // Opens the file of the row shown at `proxyRow` (after sorting and filtering).
    void openRow(int proxyRow);

  private:
    // The counts per action of the rows the search leaves.
    void showCounts();

    std::filesystem::path folder_;
    bool simulated_ = false;
    Opener open_;
    AccountTableModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QTableView* view_ = nullptr;
    QLabel* counts_ = nullptr;
    QLineEdit* search_ = nullptr;
};

} // namespace gui
