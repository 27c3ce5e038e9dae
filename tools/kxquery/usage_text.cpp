// The --help text: the whole interface of kxquery, script format included.
#include "tools/kxquery/options.h"

namespace kx::query {

std::string UsageText() {
    return R"(usage: kxquery (--volume K=FILE [--sidecar K=FILE] ... | --demo) [OUTPUT ...]
       kxquery --categories [--lang zh]

Volumes:
  --volume K=FILE      load FILE (USN_RECORD_V2 records back to back) as NTFS drive K:
  --sidecar K=FILE     sizes and times for drive K: (lines "FRN SIZE LASTWRITE CREATION")
  --demo               index the built-in demo volume as drive C:

Output (any of them, in this order):
  --memory             build the drives one at a time and print what each one's index costs:
                       its records, the resident bytes its build added (at its end, and once
                       the memory it freed went back) with the bytes per record, and the bytes
                       of each structure (records, names, map, signatures, letter-pair runs)
  --count              each drive with its record count and live record count
  --paths              the full path of every live record, one per line
  --query TEXT         search as the window does (ASCII letters fold, blanks and * ? are
                       plain characters) and print each hit's full path, one per line
  --queries-from FILE  index once, then search for each line of FILE ("-": standard input)
                       and print "QUERY<TAB>HITS<TAB>MILLISECONDS" per line
  --script FILE        apply the steps of FILE to the simulated volumes while the journal
                       monitor runs, printing each step and what its queries find
  --categories         the default categories: "INDEX<TAB>NAME<TAB>EXTENSIONS"

Hits of --query and of script queries:
  --category N         only hits of default category N (0 all files, 1 documents, 2 images,
                       3 archives, 4 applications, 5 videos, 6 audio; files only from 1 on)
  --sort COLUMN        order by name, size, modified, created or path, as a click on that
                       column title does (directories first when sorting by size)
  --descending         the reverse order, as a second click on the same title
  --details            "NAME<TAB>SIZE<TAB>MODIFIED<TAB>CREATED<TAB>FULL PATH" per hit
  --lang en|zh         names of the categories (default en)

Script runs:
  --journal-poll MS    the journal monitors pause MS milliseconds between reads instead of
                       300 (1 to 60000), so that large scripts are followed sooner

Script lines (UTF-8; blank lines and lines starting with # are skipped; a field holding
blanks is written in double quotes; PATH is a full path such as C:\Users\a.txt, with \ or /):
  create PATH [SIZE]       create a file of SIZE bytes (default 0)
  mkdir PATH               create a directory
  rename PATH NEWNAME      give a file or directory a new name in the same directory
  move PATH DIR            move a file or directory into the directory DIR (same drive)
  delete PATH              delete a file, or a directory with everything below it
  temp PATH                a temporary file: created and deleted before it is closed
  create-rename PATH NAME  create a file and rename it to NAME before it is closed
  delete-journal K:        delete the change journal of drive K: (the monitor rebuilds)
  remove-drive K:          take drive K: off the machine (its table stays searchable)
  wait MS                  sleep MS milliseconds
  query TEXT               wait until every journal monitor has applied the changes made
                           so far, then search for TEXT (everything after "query" and one
                           blank); the wait lasts as long as the monitors make headway, and
                           ends the script with an error once one has stood still for 10 s
Every step is echoed as "> LINE"; the hits of a query follow it.

Errors (unknown argument, missing value, unreadable file, malformed script line) give one
line on standard error and exit status 2; "no NTFS volume could be indexed" exits with 1.
)";
}

}  // namespace kx::query
