#pragma once
// What the download, upload and user-copy screens share: the pictures of their image
// lists, their check-box lists, and the guard a screen holds while its job yields.

#include "terminals/frm2.h"

#include <QIcon>
#include <QList>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace TemplateWidgets {

// The pictures a row may carry: done (image 2 of the lists), done without the
// terminal's own templates (image 4 of the upload), refused (image 4 of the copy).
enum class Picture { Done, DoneElsewhere, Refused };

// Sets a row's small picture and records its image number, which tests read back with
// rowImage(); 0 removes the picture.
void setRowImage(QTreeWidgetItem* item, int image, Picture picture = Picture::Done);
int rowImage(const QTreeWidgetItem* item);

// A report-style list with a check box on each row, no in-place editing, and the given
// headers and widths (twips).
void setUpList(QTreeWidget* list, const QStringList& headers, const QList<int>& twips);
// Checks (true) or clears every row.
void checkAll(QTreeWidget* list, bool checked);
bool isChecked(const QTreeWidgetItem* item);

// Held by a screen while its job runs: the screen's controls are disabled, the flag that
// makes it ignore Esc, F5 and closing is set, and the main window is busy, so no command
// or scheduled task runs while the job yields.
class JobRun
{
public:
    JobRun(frm2& window, bool& running, const QList<QWidget*>& controls);
    ~JobRun();
    JobRun(const JobRun&) = delete;
    JobRun& operator=(const JobRun&) = delete;

private:
    frm2::BusyGuard m_busy;
    bool& m_running;
    QList<QWidget*> m_controls;
};

} // namespace TemplateWidgets
