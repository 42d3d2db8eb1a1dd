#include "comptes_window.h"

#include "qt_text.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace gui {

bool openFileAtLine(const std::filesystem::path& file, long line) {
    const QString path = pathToQt(file.string());
    // Desktop editors that take "+LINE FILE".
    for (const char* editor : {"gnome-text-editor", "gedit", "pluma", "xed", "geany"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(editor));
        if (!program.isEmpty() &&
            QProcess::startDetached(program, {QStringLiteral("+%1").arg(line), path}))
            return true;
    }
    const QString kate = QStandardPaths::findExecutable(QStringLiteral("kate"));
    if (!kate.isEmpty() &&
        QProcess::startDetached(kate, {QStringLiteral("--line"), QString::number(line), path}))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString searchFolded(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString plain;
    plain.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing) plain.append(c);
    return plain.toCaseFolded();
}

AccountTableModel::AccountTableModel(std::vector<modvesk::AccountRow> rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(std::move(rows)) {
    constexpr size_t kOldLogin = 4;
    cells_.reserve(rows_.size());
    searchTexts_.reserve(rows_.size());
    for (const auto& row : rows_) {
        auto& cells = cells_.emplace_back();
        for (int c = 0; c < kColumns; ++c)
            cells[static_cast<size_t>(c)] = QString::fromStdString(modvesk::accountCell(row, c));
        // A new account has no old login: its line repeats the new one there.
        if (row.action == modvesk::AccountAction::Creation) cells[kOldLogin].clear();
        QStringList all(cells.begin(), cells.end());
        searchTexts_.push_back(searchFolded(all.join(QChar('\n'))));
    }
}

int AccountTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int AccountTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant AccountTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const size_t r = static_cast<size_t>(index.row());
    if (role == Qt::DisplayRole && index.column() == kLineColumn)
        return QVariant::fromValue(static_cast<qlonglong>(rows_[r].line)); // sorts as a number
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cells_[r][static_cast<size_t>(index.column())];
    return {};
}

QVariant AccountTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section < 0 || section >= kColumns) return {};
    return QString::fromStdString(modvesk::accountColumns()[static_cast<size_t>(section)]);
}

namespace {

// Keeps the rows whose cells hold the search text, without regard to case or accents.
class AccountSearch : public QSortFilterProxyModel {
  public:
    explicit AccountSearch(QObject* parent) : QSortFilterProxyModel(parent) {}
    void search(const QString& text) {
        folded_ = searchFolded(text);
        invalidateFilter();
    }

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex&) const override {
        const auto* accounts = static_cast<const AccountTableModel*>(sourceModel());
        return folded_.isEmpty() || accounts->searchText(sourceRow).contains(folded_);
    }

  private:
    QString folded_;
};

QString countsText(const std::array<long, modvesk::kAccountActions>& counts, bool simulated) {
    QStringList parts;
    for (int a = 0; a < modvesk::kAccountActions; ++a)
        parts << QStringLiteral("%1 : %2")
                     .arg(QString::fromUtf8(
                         modvesk::actionName(static_cast<modvesk::AccountAction>(a))))
                     .arg(counts[static_cast<size_t>(a)]);
    QString text = parts.join(QStringLiteral(" — "));
    if (simulated) text = QStringLiteral("Simulation (rien n'a été écrit) — ") + text;
    return text;
}

} // namespace

ComptesWindow::ComptesWindow(const std::filesystem::path& folder, bool simulated, Opener open,
                             QWidget* parent)
    : QDialog(parent), folder_(folder), open_(std::move(open)) {
    setObjectName(QStringLiteral("Comptes"));
    setWindowTitle(simulated ? QStringLiteral("Comptes (simulation)") : QStringLiteral("Comptes"));
    simulated_ = simulated;
    model_ = new AccountTableModel(modvesk::readAccountRows(folder), this);
    auto* search = new AccountSearch(this);
    proxy_ = search;
    proxy_->setSourceModel(model_);
    proxy_->setSortCaseSensitivity(Qt::CaseInsensitive);

    counts_ = new QLabel;
    counts_->setObjectName(QStringLiteral("compteurs"));
    showCounts();
    search_ = new QLineEdit;
    search_->setObjectName(QStringLiteral("recherche"));
    search_->setPlaceholderText(QStringLiteral("Rechercher (nom, login, groupe, fichier…)"));
    search_->setClearButtonEnabled(true);
    search_->setAccessibleName(QStringLiteral("Rechercher dans les comptes"));
    connect(search_, &QLineEdit::textChanged, this, [this, search](const QString& text) {
        search->search(text);
        showCounts();
    });

    view_ = new QTableView;
    view_->setObjectName(QStringLiteral("tableComptes"));
    view_->setModel(proxy_);
    view_->setSortingEnabled(true);
    view_->sortByColumn(-1, Qt::AscendingOrder); // the files' order until a column is chosen
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed); // no per-row measuring
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->resizeColumnsToContents(); // measures the first rows only
    connect(view_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { openRow(index.row()); });

    const QString close = QStringLiteral("Fermer");
    auto* fermer = new QPushButton(close);
    fermer->setObjectName(QStringLiteral("fermer"));
    fermer->setAccessibleName(close);
    connect(fermer, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(fermer);

    auto* column = new QVBoxLayout(this);
    column->addWidget(counts_);
    column->addWidget(search_);
    column->addWidget(view_, 1);
    column->addLayout(buttons);
    resize(980, 560);
}

void ComptesWindow::showCounts() {
    std::array<long, modvesk::kAccountActions> counts{};
    const int shown = proxy_->rowCount();
    for (int r = 0; r < shown; ++r) {
        const int source = proxy_->mapToSource(proxy_->index(r, 0)).row();
        ++counts[static_cast<size_t>(model_->row(source).action)];
    }
    QString text = countsText(counts, simulated_);
    if (shown < model_->rowCount())
        text +=
            QStringLiteral(" — comptes affichés : %1 sur %2").arg(shown).arg(model_->rowCount());
    counts_->setText(text);
}

void ComptesWindow::openRow(int proxyRow) {
    const QModelIndex source = proxy_->mapToSource(proxy_->index(proxyRow, 0));
    if (!source.isValid() || !open_) return;
    const auto& row = model_->row(source.row());
    open_(folder_ / row.file, row.line);
}

} // namespace gui
