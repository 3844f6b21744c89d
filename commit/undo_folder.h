// commit/undo_folder.h: the folder OK writes before it changes anything, from which everything
// it changed can be put back, from Windows or from DOS.
//
// <Windows directory>\KORVALIN\UNDOnnnn (nnnn from 0001, after the highest there) holds
// UNDO.REG, UNDO.BAT, UNDODOS.BAT, a copy FILEnnnn.DAT of each deleted file and, when OK adds to
// WININIT.INI, its copy WININIT.OLD. 8.3 names throughout, so that DOS can
// use it when Windows no longer starts.
#ifndef KORVALIN_COMMIT_UNDO_FOLDER_H
#define KORVALIN_COMMIT_UNDO_FOLDER_H

#include "commit/ok_plan.h"
#include "platform/own_folder.h"
#include "platform/regedit_lines.h"

static const char* const kUndoParentFolder = kOwnFolderName;
static const char kUndoFolderPrefix[] = "UNDO";
static const char kUndoCopyPrefix[] = "FILE";
static const char kUndoCopyExtension[] = ".DAT";
static const char kUndoRegistryFile[] = "UNDO.REG";
static const char kUndoBatchFile[] = "UNDO.BAT";
static const char kUndoDosBatchFile[] = "UNDODOS.BAT";  // the same from real-mode DOS
static const char kUndoWininitCopy[] = "WININIT.OLD";   // WININIT.INI before OK added to it
enum { kUndoMaxNumber = kOwnFolderMaxNumber };

// Why a folder could not be written, said by DescribeUndoFailure: the file a copy failed on, or
// the folder; then the reason the Windows error gives, by UndoFailureKind, and the error.
static const char kUndoCopyFailedText[] = "%s could not be copied";
static const char kUndoFolderFailedText[] = "The undo folder %s could not be written";
static const char* const kUndoReasonTexts[] = {" (error ",
                                               ": another program holds it open (error ",
                                               ": the disk may be full or read-only (error "};

// --- undo_folder.cpp
// Writes the folder that puts back every change of `plan`, and puts it on the disk. Returns 1
// when written; 0 when not, or when the plan is not whole (nothing is made for it then), and then
// what was made of it is deleted again. Sets the outcome's undoFolder ("" when not even the
// Windows directory was known) and, when not written, its undoFile and undoError.
int WriteUndoFolder(const OkPlan& plan, OkOutcome* outcome);

// --- undo_registry_export.cpp
// Writes the key at `path` (its own name spelled as the registry spells it) and its whole
// subtree as REGEDIT4 lines. 1: written; 0: a read or the sink failed.
int ExportKeySubtree(const char* path, RegTextSink sink, void* context);

#endif
