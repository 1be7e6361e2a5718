#pragma once
// The shared list picker as callers use it: fill TagColCaptions and TagColWidths (twips) in
// shared(), set the picker's TagListSize, call ShowTagList, then read TagValue1, TagValue2,
// TagIndex or TagList from shared(). A cancelled pick leaves the texts empty.
//
//     shared().TagColCaptions = {"Device ID", "Device Description"};
//     shared().TagColWidths = {1100, 3000};
//     FrmTagList::form().setTagListSize(QString());
//     shared().StrSQL = "Select DeviceID,DeviceDescription From Tbl_DeviceMaster"
//                       " Order By DeviceID";
//     ShowTagList(shared().StrSQL, 1, "Device List Not Available", "DeviceDescription",
//                 "Device List", QString());

#include <QString>
#include <QStringList>

#include <functional>

class Db;
class FrmTagList;

// Lists the rows of query (first column the value to return) for the operator to choose
// from; returns when the dialog has closed, or at once after emptyMessage when the query
// has no row. mode "M" allows several rows. A failing query throws to the caller's trap.
void ShowTagList(const QString& query, int highestColumn, const QString& emptyMessage,
                 const QString& searchField, const QString& caption, const QString& mode);

// Tests receive the filled dialog here instead of a modal run; an empty handler restores it.
using TagListHandler = std::function<void(FrmTagList&)>;
void setTagListHandler(TagListHandler handler);
const TagListHandler& tagListHandler();

// 'a','b','c' for a, b and c; a lone ' when nothing is chosen. A quote inside a value is
// doubled so that the text stays one SQL literal per value. raw receives the working text.
QString buildTagList(const QStringList& values, QString* raw = nullptr);

// The query without its ORDER BY clause (any letter case); unchanged without one.
QString cutOrderBy(const QString& sql);

// A LIKE pattern that finds text anywhere, with '\' as the escape character: %, _, [ and
// '\' in text match only themselves.
QString likeContainsPattern(const QString& text);

// A column name as code writes it: letters, digits and '_', optionally table-qualified.
bool isSqlIdentifier(const QString& name);

// The search statement over sql (already cut before ORDER BY) with one bound parameter,
// the pattern, matched whatever the letter case on every database. Throws
// std::invalid_argument when field is not a plain column name.
QString tagSearchStatement(const QString& sql, const QString& field, const Db& db);
