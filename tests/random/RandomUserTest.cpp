// A randomized user: drives the real windows on randomly drawn game
// directories the way a user can (buttons, menu items, typing, keys, rows,
// answers, loads and saves) and checks after every step that the windows
// and the files on disk still tell the truth. It runs for
// DV2_RANDOM_USER_SECONDS (default 3); DV2_RANDOM_USER_SEED replays one run,
// DV2_RANDOM_USER_TRACE prints its actions.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <filesystem>
#include <functional>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "data/Equipment.h"
#include "data/UnitCodes.h"
#include "data/UnitFields.h"
#include "data/Settings.h"
#include "sgeditor/FindUnit.h"
#include "sgeditor/SGEditor.h"
#include "sgeditor/SaveUnits.h"
#include "sgeditor/SaveUnitsModel.h"
#include "tests/random/RandomGame.h"
#include "tests/support/TestSupport.h"
#include "equipment/EquipmentDocument.h"
#include "uieditor/EquipmentModel.h"
#include "uieditor/UIEditor.h"
#include "uieditor/UnitTable.h"
#include "uieditor/UISearch.h"
#include "widgets/Cp1252.h"
#include "widgets/SpinField.h"

namespace {

constexpr int StepsPerRun = 150;
const bool Traced = qEnvironmentVariableIsSet("DV2_RANDOM_USER_TRACE");  // prints every action

int EnvInt(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

QString Text(const std::string& bytes)
{
    return FromCp1252(bytes);
}

// Ends the run with what it was doing when a step takes longer than the
// limit: a window the user cannot answer would otherwise block it until
// the test command kills it, without a word.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit) : thread_([this, limit] { Watch(limit); }) {}
    ~Watchdog()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    // A new step begins.
    void Step(const std::string& doing)
    {
        const std::lock_guard lock(mutex_);
        ++steps_;
        doing_ = doing;
    }
    // The step has chosen what it does.
    void Doing(const std::string& doing)
    {
        const std::lock_guard lock(mutex_);
        doing_ = doing;
    }

private:
    void Watch(std::chrono::seconds limit)
    {
        std::unique_lock lock(mutex_);
        while (!done_) {
            const long seen = steps_;
            if (!wake_.wait_for(lock, limit, [&] { return done_ || steps_ != seen; })) {
                std::fprintf(stderr, "random user stuck for %lld s: %s\n",
                             static_cast<long long>(limit.count()), doing_.c_str());
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    long steps_ = 0;
    std::string doing_;
    bool done_ = false;
    std::thread thread_;  // last: it watches the members above
};

class RandomUser {
public:
    RandomUser(unsigned seed, const std::string& dir, Watchdog& watchdog)
        : rng_(seed), seed_(seed), watchdog_(watchdog), game_(WriteRandomGame(dir, rng_))
    {
        for (const std::string& save : game_.saves)
            disk_[save] = ReadBytes(save);
        for (const char* name : {EquipFileName, NameFileName})
            disk_[game_.dir + name] = ReadBytes(game_.dir + name);
        // A run starts as the program does, so that its seed replays it alone.
        Equipment = TEquipTable{};
        EquipmentDoc().History()->clear();
        GameDir.clear();
        SaveGameDir.clear();
        SettingsDir = dir + "start";
        std::filesystem::create_directories(SettingsDir);
        if (Pick(2) == 0) {  // half the runs start without a settings file
            SetGameDir(game_.dir);
            WriteSettings();
        }
        frmDV2Edit = ui_.get();
        frmSearch = search_.get();
        frmDV2SGEdit = sg_.get();
        frmFindUnit = list_.get();
        WatchStores();
    }
    ~RandomUser()
    {
        frmDV2Edit = nullptr;
        frmSearch = nullptr;
        frmDV2SGEdit = nullptr;
        frmFindUnit = nullptr;
    }

    // Takes up to steps steps, stopping at the first broken invariant.
    int Run(int steps)
    {
        int taken = 0;
        while (taken < steps && !testing::Test::HasFailure()) {
            ++taken;
            where_ = "replay with DV2_RANDOM_USER_SEED=" + std::to_string(seed_) + " (step "
                     + std::to_string(taken) + ": ";
            action_.clear();
            watchdog_.Step(where_ + ")");
            Step();
            Check();
        }
        return taken;
    }

    std::string LastAction() const { return action_; }

private:
    void Doing(const std::string& action)
    {
        action_ = action;
        watchdog_.Doing(where_ + action + ")");
        if (Traced)
            std::fprintf(stderr, "%s)\n", (where_ + action).c_str());
    }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    template <typename T>
    T Any(const QList<T>& list) { return list.at(Pick(static_cast<int>(list.size()))); }

    // The stores the files must show after a save: every path by which an
    // edit reaches the table or the save game image.
    void WatchStores()
    {
        // The image takes the prestige the user sets, at once; a stored one
        // the user leaves alone stays as stored.
        QObject::connect(sg_->sePrestige, &SpinField::valueChanged, [this] {
            if (modelLoaded_)
                model_.SetPrestige(static_cast<std::uint16_t>(sg_->sePrestige->value()));
        });
        const auto tableStored = [this] { tableStored_ = true; };
        QObject::connect(ui_->btnUpdate, &QPushButton::clicked, tableStored);
        QObject::connect(ui_->mnuUpdate, &QAction::triggered, tableStored);
        const std::pair<QString, void (RandomUser::*)()> sgCommands[] = {
            {"&Update", &RandomUser::StoreModelUnit},
            {"&Load File", &RandomUser::Loaded},
            {"Sa&ve File", &RandomUser::Saved},
            {"&Previous", &RandomUser::RememberCodeLimits},
            {"&Next", &RandomUser::RememberCodeLimits}};
        for (const auto& [text, react] : sgCommands) {
            const auto after = [this, react] { (this->*react)(); };
            for (QAction* action : sg_->findChildren<QAction*>())
                if (action->text() == text)
                    QObject::connect(action, &QAction::triggered, after);
            for (QPushButton* button : sg_->findChildren<QPushButton*>())
                if (button->text() == text)
                    QObject::connect(button, &QPushButton::clicked, after);
        }
    }
    // The save game editor's image, as the user has stored it.
    void StoreModelUnit()
    {
        if (!modelLoaded_)
            return;
        const TSaveGameUnit unit{static_cast<std::uint16_t>(sg_->seUnitCode->value()),
                                 static_cast<std::uint16_t>(sg_->seTransportCode->value()),
                                 static_cast<std::uint16_t>(sg_->seExperience->value()),
                                 static_cast<std::uint8_t>(sg_->seFuel1->value()),
                                 static_cast<std::uint8_t>(sg_->seTotalStr->value()),
                                 static_cast<std::uint8_t>(std::clamp(sg_->seCurrentStr->value(), 0, 255))};
        if (!UnitCodeProblem(unit.TypeCode).empty())  // refused: nothing stored
            return;
        EXPECT_TRUE(unit.TypeCode >= 1 && unit.TypeCode < Equipment.UnitCount) << unit.TypeCode;
        EXPECT_LT(unit.TransportCode, Equipment.UnitCount);
        EXPECT_LE(unit.Experience, 65000);
        EXPECT_LE(unit.TotalStrength, 15);
        EXPECT_TRUE(unit.CurrentStrength <= unit.TotalStrength || unit.TotalStrength == 0);
        model_.WriteUnit(sg_->edtUnitNo->text().toInt() - 1, unit);
        RememberCodeLimits();  // the stored unit is shown within today's
    }
    void Loaded()
    {
        // The editor refuses what its image refuses: a file with no unit list
        // (a stored code of 256 can end a list), and keeps what it had.
        const std::string picked = std::exchange(picked_, {});
        if (picked.empty() || !model_.LoadFromFile(picked))
            return;
        modelPath_ = picked;
        modelLoaded_ = true;
        modelUnmodelled_ = false;
        RememberCodeLimits();
    }
    // A reloaded table may raise the code limits later; a unit is shown
    // within those it was shown with.
    void RememberCodeLimits()
    {
        shownCodeMaximum_ = {{sg_->seUnitCode, sg_->seUnitCode->maximum()},
                             {sg_->seTransportCode, sg_->seTransportCode->maximum()}};
    }
    void Unmodelled()
    {
        tableStored_ = true;
        modelUnmodelled_ = true;
    }
    void Saved()
    {
        if (!modelLoaded_)
            return;
        if (modelUnmodelled_) {  // the image is what was saved
            disk_[modelPath_] = ReadBytes(modelPath_);
            modelUnmodelled_ = false;
            modelLoaded_ = model_.LoadFromFile(modelPath_);
            return;
        }
        if (!model_.SaveProblem().empty())  // refused: nothing written
            return;
        disk_[modelPath_] =
            std::string(reinterpret_cast<const char*>(model_.Data()), model_.Length());
    }

    // One step of the user: opens an editor when none is open, otherwise
    // acts on a window that is open.
    void Step()
    {
        QList<QWidget*> open;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && (window->windowType() == Qt::Dialog
                                        || window->windowType() == Qt::Window))
                open << window;
        if (open.isEmpty()) {
            QWidget* editor = Pick(2) == 0 ? static_cast<QWidget*>(ui_.get()) : sg_.get();
            Doing("open " + editor->objectName().toStdString());
            editor->show();
            editor->activateWindow();
            QApplication::processEvents();
            return;
        }
        Act(Any(open));
    }

    // One action on window; a modal window it opens is driven in its turn.
    void Act(QWidget* window)
    {
        // Windows this test does not model (tables, bulk edits) may change
        // the table and the image: what they save is then taken as stored.
        if (window != ui_.get() && window != sg_.get() && window != search_.get()
            && window != list_.get() && !qobject_cast<QMessageBox*>(window))
            Unmodelled();
        // A user acts on the window in front: focus moves only there.
        if (!window->isActiveWindow()) {
            window->activateWindow();
            // The offscreen platform may leave the activation with a closed
            // dialog, where a window manager hands it back to its parent.
            if (!QTest::qWaitForWindowActive(window, 1000) || !window->isActiveWindow())
                QApplication::setActiveWindow(window);
            EXPECT_TRUE(window->isActiveWindow());
        }
        const auto poll = PollModals();
        QWidget* focus = window->focusWidget();
        // Keys go to the spin field or combo box, not to its line edit.
        while (focus != nullptr && focus->parentWidget() != nullptr
               && (qobject_cast<QAbstractSpinBox*>(focus->parentWidget())
                   || qobject_cast<QComboBox*>(focus->parentWidget())))
            focus = focus->parentWidget();
        switch (Pick(7)) {
        case 0: {
            QList<QPushButton*> buttons;
            for (QPushButton* button : window->findChildren<QPushButton*>())
                if (button->isVisible() && button->isEnabled())
                    buttons << button;
            if (buttons.isEmpty())
                return;
            QPushButton* button = Any(buttons);
            Doing("click " + button->objectName().toStdString());
            button->click();
            return;
        }
        case 1: {
            QList<QAction*> items;
            for (QMenuBar* bar : window->findChildren<QMenuBar*>())
                for (QAction* menu : bar->window() == window ? bar->actions() : QList<QAction*>{})
                    for (QAction* item : menu->menu()->actions())
                        if (!item->isSeparator() && item->isEnabled())
                            items << item;
            if (items.isEmpty())
                return;
            QAction* item = Any(items);
            Doing("menu " + item->text().toStdString());
            if (item->objectName() == "mnuUndo" || item->objectName() == "mnuRedo" || item->text().contains("Import"))
                Unmodelled();
            item->trigger();
            return;
        }
        case 2: {
            QList<QWidget*> fields;
            for (QWidget* field : window->findChildren<QWidget*>())
                if (field->isVisible() && field->isEnabled() && field->focusPolicy() != Qt::NoFocus
                    && !qobject_cast<QAbstractSpinBox*>(field->parentWidget())
                    && !qobject_cast<QComboBox*>(field->parentWidget()))
                    fields << field;
            if (fields.isEmpty())
                return;
            QWidget* field = Any(fields);
            Doing("focus " + field->objectName().toStdString());
            field->setFocus(Qt::TabFocusReason);
            return;
        }
        case 3:
            if (auto* view = window->findChild<QTableView*>(); view != nullptr && view->isVisible()
                                                               && view->model()->rowCount() > 0)
                ActOnTable(view);
            return;
        case 4: {
            if (focus == nullptr)
                return;
            static const Qt::Key keys[] = {Qt::Key_Tab,    Qt::Key_Backtab, Qt::Key_Up,
                                           Qt::Key_Down,   Qt::Key_Return,  Qt::Key_Enter,
                                           Qt::Key_Escape, Qt::Key_Backspace, Qt::Key_Delete,
                                           Qt::Key_Home,   Qt::Key_End,     Qt::Key_Space,
                                           Qt::Key_PageDown};
            const Qt::Key key = keys[Pick(static_cast<int>(std::size(keys)))];
            Doing("key " + QKeySequence(key).toString().toStdString() + " on "
                      + focus->objectName().toStdString());
            QTest::keyClick(focus, key);
            return;
        }
        default: {
            if (focus == nullptr)
                return;
            const QString typed = Typed();
            Doing("type '" + typed.toStdString() + "' into " + focus->objectName().toStdString());
            if (Pick(2) == 0)
                QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
            if (auto* edit = qobject_cast<QLineEdit*>(focus); edit != nullptr && !edit->isReadOnly() && Pick(3) == 0)
                edit->insert(typed);  // as pasted
            else
                for (QChar c : typed)  // keyClicks takes ASCII only
                    QTest::sendKeyEvent(QTest::Click, focus, Qt::Key_unknown, QString(c), Qt::NoModifier);
            return;
        }
        }
    }

    // Picks a row, selects rows, sorts, starts editing a cell (typing and
    // keys then go to its control) or double-clicks, as a user does.
    void ActOnTable(QTableView* view)
    {
        const QAbstractItemModel* rows = view->model();
        const QModelIndex cell = rows->index(Pick(rows->rowCount()), Pick(rows->columnCount()));
        view->scrollTo(cell);
        const std::string where = std::to_string(cell.row()) + "," + std::to_string(cell.column());
        switch (Pick(7)) {
        case 0:
            Doing("row " + where);
            view->setCurrentIndex(cell);
            return;
        case 1: {
            const int last = Pick(2) == 0 ? std::min(cell.row() + Pick(4), rows->rowCount() - 1) : rows->rowCount() - 1;
            Doing("select rows " + where + " to " + std::to_string(last));
            view->setCurrentIndex(cell);
            view->selectionModel()->select(QItemSelection(cell, rows->index(last, cell.column())),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            return;
        }
        case 2:
            Doing("sort by column " + std::to_string(cell.column()));
            QTest::mouseClick(view->horizontalHeader()->viewport(), Qt::LeftButton, {},
                              QPoint(view->horizontalHeader()->sectionViewportPosition(cell.column()) + 2, 2));
            return;
        case 3:
            Doing("F2 on cell " + where);
            view->setCurrentIndex(cell);
            view->setFocus(Qt::TabFocusReason);
            QTest::keyClick(view, Qt::Key_F2);
            return;
        case 4:
            Doing("double-click cell " + where);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());
            return;
        default:
            TypeIntoCell(view, cell);
        }
    }

    // Types into a cell through the editor that opens and ends the edit
    // with Enter, Tab or Escape. The table then shows and holds what the
    // editor showed, stored by the rules of "&Update"; Escape keeps it all.
    void TypeIntoCell(QTableView* view, const QModelIndex& cell)
    {
        const QString typed = Typed();
        const Qt::Key end = Any(QList<Qt::Key>{Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape});
        Doing("type '" + typed.toStdString() + "' into cell " + std::to_string(cell.row()) + ","
              + std::to_string(cell.column()) + " and " + QKeySequence(end).toString().toStdString());
        view->setCurrentIndex(cell);
        view->setFocus(Qt::OtherFocusReason);
        for (QChar c : typed) {
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
            QApplication::processEvents();
        }
        QWidget* editor = QApplication::focusWidget();
        if (editor == nullptr || editor == view)
            return;  // nothing typed, or the cell is not editable
        const auto* rows = static_cast<QSortFilterProxyModel*>(view->model());
        const QModelIndex source = rows->mapToSource(cell);
        const auto check = qobject_cast<TfrmUnitTable*>(view->window()) != nullptr
                               ? CheckUnitTableCell(source, editor)
                               : CheckSaveUnitsCell(source, static_cast<SpinField*>(editor)->value());
        QTest::keyClick(editor, end);
        QApplication::processEvents();  // the edit ends after the key
        check(end != Qt::Key_Escape);
    }

    // Checks, once the edit of cell ended, that the unit's record and name
    // are what "&Update" makes of the editor's value, or as they were when
    // the edit was dropped.
    std::function<void(bool kept)> CheckUnitTableCell(const QModelIndex& cell, QWidget* editor)
    {
        const auto code = static_cast<std::uint16_t>(cell.siblingAtColumn(EquipmentModel::UnitCode).data().toInt());
        const TEquipRecord record = Equipment.Records[code];
        const std::string name = Equipment.UnitNames[code];
        // Stored as "&Update" stores it, then put back until the edit ends.
        if (auto* field = qobject_cast<SpinField*>(editor))
            StoreValue(code, EquipmentModel::NumberOf(cell.column()), field->value());
        else if (auto* edit = qobject_cast<QLineEdit*>(editor))
            StoreUnitName(code, ToCp1252(edit->text()));
        // A country only when another entry than the one the list opened on
        // is chosen: "(none)" first, on which it opens for a country the
        // list does not name.
        else if (auto* list = qobject_cast<QComboBox*>(editor);
                 list != nullptr && list->currentIndex() != std::max(list->findText(cell.data().toString()), 0))
            SetCountryByName(code, list->currentIndex() == 0 ? std::string() : ToCp1252(list->currentText()));
        const TEquipRecord updated = Equipment.Records[code];
        const std::string updatedName = Equipment.UnitNames[code];
        Equipment.Records[code] = record;
        Equipment.UnitNames[code] = name;
        return [=](bool kept) {
            EXPECT_TRUE(Equipment.Records[code] == (kept ? updated : record)) << "unit " << code;
            EXPECT_EQ(Equipment.UnitNames[code], kept ? updatedName : name);
        };
    }

    // The same for a unit of the save game: the six values as "&Update"
    // stores the unit with value in the cell's field.
    std::function<void(bool kept)> CheckSaveUnitsCell(const QModelIndex& cell, int value)
    {
        const auto valueOf = [cell](int column) { return cell.siblingAtColumn(column).data().toInt(); };
        const auto unitOf = [valueOf] {
            TSaveGameUnit unit;
            unit.TypeCode = static_cast<std::uint16_t>(valueOf(SaveUnitsModel::UnitCode));
            unit.TransportCode = static_cast<std::uint16_t>(valueOf(SaveUnitsModel::TransportCode));
            unit.Experience = static_cast<std::uint16_t>(valueOf(SaveUnitsModel::Experience));
            unit.UnitFuel = static_cast<std::uint8_t>(valueOf(SaveUnitsModel::Fuel));
            unit.TotalStrength = static_cast<std::uint8_t>(valueOf(SaveUnitsModel::TotalStrength));
            unit.CurrentStrength = static_cast<std::uint8_t>(valueOf(SaveUnitsModel::CurrentStrength));
            return unit;
        };
        const TSaveGameUnit shown = unitOf();
        // As in the editor, a value that leaves the field as shown is no
        // change, and so does not bring the others within their limits.
        const SaveUnitField field = SaveUnitsModel::FieldOf(cell.column());
        const TSaveGameUnit edited = WithField(shown, field, value);
        const bool refused = !UnitCodeProblem(edited.TypeCode).empty();  // with a warning box
        const TSaveGameUnit updated = FieldValue(edited, field) == FieldValue(shown, field) || refused ? shown : edited;
        return [=](bool kept) {
            const TSaveGameUnit now = unitOf();
            EXPECT_TRUE(now == (kept ? updated : shown)) << "unit " << cell.row() + 1;
        };
    }

    // Something a user might type: numbers of every width, letters, text
    // that looks like markup, names of the table in another case.
    QString Typed()
    {
        switch (Pick(6)) {
        case 0:
            return QString::number(Pick(2) == 0 ? Pick(10) : Pick(100000));
        case 1:
            return QStringLiteral("-") + QString::number(Pick(100));
        case 2:
            return Any(QList<QString>{"abc", "<b>big</b>", "$1F", " 31", "31 ", QStringLiteral("\u00E9\u00DF"),
                                      "Line1\r\nLine2", "Germany", "germany", "Xanadu", ""});
        default: {
            if (Equipment.UnitCount == 0)
                return QStringLiteral("1");
            const QString name = Text(Equipment.UnitNames[Pick(Equipment.UnitCount)]);
            return Pick(2) == 0 ? name.toLower() : name;
        }
        }
    }

    // Modal windows opened while the poll lives are driven from inside
    // their loop. A timer never fires inside its own handler, so every
    // level that can open one (an answer can: "replace it?") needs its own.
    std::unique_ptr<QTimer> PollModals()
    {
        auto poll = std::make_unique<QTimer>();
        QObject::connect(poll.get(), &QTimer::timeout, [this] { DriveModal(); });
        poll->start(5);
        return poll;
    }

    // Answers or drives the modal window that is open now, if it is new.
    void DriveModal()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || driving_.contains(modal))
            return;
        driving_ << modal;
        const auto poll = PollModals();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            QAbstractButton* answer = Any(box->buttons());
            const bool yes = box->standardButton(answer) == QMessageBox::Yes;
            if (yes && box->text().contains("update this changes"))
                StoreModelUnit();
            else if (yes)
                tableStored_ = true;
            answer->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            AnswerFileDialog(dialog);
        } else {
            // The search dialog, the unit list, the tables, and any window
            // to come: a few actions (more in a table), then out by its
            // buttons or its close box.
            for (int i = Pick(modal->findChild<QTableView*>() != nullptr ? 30 : 8); i > 0 && modal->isVisible() && !testing::Test::HasFailure(); --i) {
                Act(modal);
                if (modal->isVisible())  // once closed, its opener takes over
                    Check();
            }
            if (modal->isVisible())
                modal->close();
        }
        driving_.removeAll(modal);
    }

    void AnswerFileDialog(QFileDialog* dialog)
    {
        std::string path;
        if (Pick(6) != 0) {
            if (dialog->windowTitle().contains("CSV")) {  // an export, or a save game as a table
                path = game_.dir + "units.csv";
                if (dialog->acceptMode() == QFileDialog::AcceptOpen && (Pick(3) == 0 || !std::filesystem::exists(path)))
                    path = game_.saves.front();
            } else if (dialog->parentWidget() == ui_.get()) {
                path = game_.dir + EquipFileName;
            } else {
                picked_ = game_.saves[Pick(static_cast<int>(game_.saves.size()))];
                path = picked_;
            }
        }
        Doing(action_ + " picking '" + path + "'");
        if (path.empty())
            return dialog->close(), void();
        if (QWidget* typing = dialog->focusWidget())
            typing->clearFocus();
        dialog->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();
    }

    // What must hold after every step.
    void Check()
    {
        SCOPED_TRACE("after " + action_);
        for (SpinField* field : ui_->findChildren<SpinField*>() + sg_->findChildren<SpinField*>()) {
            SCOPED_TRACE(field->objectName().toStdString());
            if (field->minimum() != field->maximum() || field == ui_->seUnitCode
                || field == sg_->seUnitCode) {
                EXPECT_GE(field->value(), field->minimum());
                EXPECT_LE(field->value(), field->maximum());
            }
            QWidget* focus = field->window()->focusWidget();
            if (focus != field && !field->isAncestorOf(focus)) {
                EXPECT_EQ(field->text(), QString::number(field->value()));
            }
        }
        if (ui_->isVisible() && ui_->CurrentUnit != 0)
            CheckUnitEditor();
        if (sg_->isVisible() && modelLoaded_)
            CheckSaveGameEditor();
        if (ui_->frmUnitTable != nullptr && ui_->frmUnitTable->isVisible())
            CheckUnitTable();
        if (auto* table = sg_->findChild<TfrmSaveUnits*>(); table != nullptr && table->isVisible())
            CheckSaveUnits(table);
        CheckDisk();
    }

    // Every unit type has its row, each value within its field's limits.
    void CheckUnitTable()
    {
        const auto* shown = static_cast<QSortFilterProxyModel*>(ui_->frmUnitTable->tvUnits->model());
        const QAbstractItemModel* rows = shown->sourceModel();
        ASSERT_EQ(rows->rowCount(), Equipment.UnitCount - 1);
        EXPECT_EQ(ui_->frmUnitTable->lblStatus->text(),
                  QStringLiteral("%1 of %2 unit types").arg(shown->rowCount()).arg(rows->rowCount()));
        for (int row = 0; row < rows->rowCount(); ++row) {
            SCOPED_TRACE("unit table row " + std::to_string(row));
            const int code = rows->index(row, EquipmentModel::UnitCode).data().toInt();
            ASSERT_EQ(code, row + 1);
            EXPECT_EQ(rows->index(row, EquipmentModel::UnitName).data().toString(), Text(Equipment.UnitNames[code]));
            for (int column = EquipmentModel::FirstNumber; column < rows->columnCount(); ++column) {
                const NumberField& field = EquipmentModel::NumberOf(column);
                const int value = rows->index(row, column).data().toInt();
                EXPECT_TRUE(value >= field.minimum && value <= field.maximum && value % field.multiple == 0)
                    << field.label << " " << value;
            }
        }
    }

    // Every unit of the list has its row, each value within the editor's
    // limits and each name that of its code.
    void CheckSaveUnits(TfrmSaveUnits* table)
    {
        const QAbstractItemModel* rows = static_cast<QSortFilterProxyModel*>(table->tvSaveUnits->model())->sourceModel();
        for (int row = 0; row < rows->rowCount(); ++row) {
            SCOPED_TRACE("save game unit row " + std::to_string(row));
            const auto value = [&](int column) { return rows->index(row, column).data().toInt(); };
            EXPECT_EQ(value(SaveUnitsModel::No), row + 1);
            EXPECT_TRUE(value(SaveUnitsModel::UnitCode) >= 1 && value(SaveUnitsModel::UnitCode) < Equipment.UnitCount);
            EXPECT_LT(value(SaveUnitsModel::TransportCode), Equipment.UnitCount);
            EXPECT_EQ(rows->index(row, SaveUnitsModel::UnitName).data().toString(),
                      Text(Equipment.UnitNames[value(SaveUnitsModel::UnitCode)]));
            EXPECT_LE(value(SaveUnitsModel::Experience), 65000);
            EXPECT_LE(value(SaveUnitsModel::TotalStrength), 15);
            EXPECT_TRUE(value(SaveUnitsModel::CurrentStrength) <= value(SaveUnitsModel::TotalStrength)
                        || value(SaveUnitsModel::TotalStrength) == 0);
        }
    }

    // The code in the field, the current unit and the unit shown agree.
    void CheckUnitEditor()
    {
        const std::uint16_t code = ui_->CurrentUnit;
        ASSERT_GE(code, 1);
        ASSERT_LT(code, Equipment.UnitCount);
        EXPECT_EQ(ui_->seUnitCode->value(), code);
        bool number = false;
        const int shown = ui_->seUnitCode->text().toInt(&number);
        EXPECT_TRUE(number ? shown == code : code == ui_->seUnitCode->minimum())
            << ui_->seUnitCode->text().toStdString();
        const TEquipRecord& record = Equipment.Records[code];
        EXPECT_EQ(ui_->edtHexCode->text().toStdString(),
                  HexCode(static_cast<std::uint16_t>(record[Field::UnitCode] | record[Field::UnitCode + 1] << 8)));
    }

    // Each code field shows the unit of its code, and only codes of the table.
    void CheckSaveGameEditor()
    {
        EXPECT_LT(sg_->seUnitCode->maximum(), Equipment.UnitCount);
        EXPECT_LT(sg_->seTransportCode->maximum(), Equipment.UnitCount);
        EXPECT_EQ(sg_->seCurrentStr->maximum(), sg_->seTotalStr->value());
        const struct {
            SpinField* code;
            QLineEdit* name;
            QLineEdit* hexCode;
        } rows[] = {{sg_->seUnitCode, sg_->edtUnitName, sg_->edtHexCode},
                    {sg_->seTransportCode, sg_->edtTransportName, sg_->edtTransportHexCode}};
        // Unless the user has changed it, the unit shows what the image
        // holds, brought within the limits.
        const QString status = sg_->sbStatus->findChild<QLabel*>()->text();
        if (!modelUnmodelled_
            && (status.isEmpty() || status.endsWith(" save game data loaded")
                || status == "Unit Information Updated")) {
            const TSaveGameUnit held = model_.ReadUnit(sg_->edtUnitNo->text().toInt() - 1);
            const std::pair<SpinField*, int> fields[] = {
                {sg_->seUnitCode, held.TypeCode},      {sg_->seTransportCode, held.TransportCode},
                {sg_->seExperience, held.Experience},  {sg_->seFuel1, held.UnitFuel},
                {sg_->seTotalStr, held.TotalStrength}, {sg_->seCurrentStr, held.CurrentStrength}};
            for (const auto& [field, value] : fields) {
                const bool limited = field->minimum() != field->maximum() || field == sg_->seUnitCode;
                const auto code = shownCodeMaximum_.find(field);
                const int maximum = code != shownCodeMaximum_.end() ? code->second : field->maximum();
                EXPECT_EQ(field->value(), limited ? std::clamp(value, field->minimum(), maximum) : value)
                    << field->objectName().toStdString();
            }
        }
        for (const auto& row : rows) {
            const int code = row.code->value();
            const bool inTable = code >= 1 && code < Equipment.UnitCount;
            EXPECT_EQ(row.name->text(), inTable ? Text(Equipment.UnitNames[code]) : QString());
            EXPECT_EQ(row.hexCode->text().toStdString(),
                      inTable ? HexCode(static_cast<std::uint16_t>(code)) : std::string());
        }
    }

    // Nothing reaches the disk but what the user stored and saved; the
    // equipment files change only after a store.
    void CheckDisk()
    {
        for (auto& [path, bytes] : disk_) {
            const std::string now = ReadBytes(path);
            if (now == bytes)
                continue;
            const bool equipment = path == game_.dir + EquipFileName || path == game_.dir + NameFileName;
            const bool tableOpen = (ui_->frmUnitTable != nullptr && ui_->frmUnitTable->isVisible())
                                   || (sg_->frmSaveUnits != nullptr && sg_->frmSaveUnits->isVisible());
            ASSERT_TRUE(equipment && tableStored_ && !tableOpen) << path << " changed without a stored change";
            bytes = now;
        }
    }

    std::mt19937 rng_;
    unsigned seed_;
    Watchdog& watchdog_;
    std::string where_;  // the seed and the step, for the watchdog
    RandomGame game_;
    std::unique_ptr<TfrmDV2Edit> ui_ = std::make_unique<TfrmDV2Edit>();
    std::unique_ptr<TfrmSearch> search_ = std::make_unique<TfrmSearch>();
    std::unique_ptr<TfrmDV2SGEdit> sg_ = std::make_unique<TfrmDV2SGEdit>();
    std::unique_ptr<TfrmFindUnit> list_ = std::make_unique<TfrmFindUnit>();
    std::map<std::string, std::string> disk_;  // what each game file must hold
    bool tableStored_ = false;
    TSaveGame model_;
    std::string modelPath_;
    bool modelLoaded_ = false;
    bool modelUnmodelled_ = false;  // changed by a window the test does not model
    std::map<SpinField*, int> shownCodeMaximum_;
    std::string picked_;  // the save game the open dialog was given
    QList<QWidget*> driving_;
    std::string action_;
};

TEST(RandomUserTest, EveryValueSurvivesWhateverTheUserDoes)
{
    bool replay = false;
    const unsigned replaySeed = qEnvironmentVariable("DV2_RANDOM_USER_SEED").toUInt(&replay);
    const auto end = std::chrono::steady_clock::now()
                     + std::chrono::seconds(EnvInt("DV2_RANDOM_USER_SECONDS", 3));
    std::random_device entropy;
    long steps = 0;
    int runs = 0;
    Watchdog watchdog(std::chrono::seconds(EnvInt("DV2_RANDOM_USER_STEP_SECONDS", 30)));
    do {
        const unsigned seed = replay ? replaySeed : entropy();
        TempDir work;
        RandomUser user(seed, work / "game/", watchdog);
        const int taken = user.Run(StepsPerRun);
        steps += taken;
        ++runs;
        if (testing::Test::HasFailure()) {
            ADD_FAILURE() << "replay with DV2_RANDOM_USER_SEED=" << seed << " (failed at step "
                          << taken << ": " << user.LastAction() << ")";
            break;
        }
    } while (!replay && std::chrono::steady_clock::now() < end);
    std::printf("random user: %d runs, %ld steps\n", runs, steps);
}

}  // namespace
