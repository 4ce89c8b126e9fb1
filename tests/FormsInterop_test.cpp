// Forms made by software we did not write (ReportLab), read by `info` and
// edited by `rewrite --delete-field`, judged by qpdf's view of the form.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/InteropSupport.h"

namespace sarvane::interop {
namespace {

// Debian's interpreter, which has python3-reportlab (a python3 earlier on
// PATH may not).
const char kPython[] = "/usr/bin/python3";

const char kMakeForm[] = R"PY(
import sys
from reportlab.pdfgen import canvas
c = canvas.Canvas(sys.argv[1])
f = c.acroForm
f.checkbox(name='agree', x=50, y=700, checked=True)
f.radio(name='colour', value='red', selected=False, x=50, y=650)
f.radio(name='colour', value='green', selected=True, x=80, y=650)
f.textfield(name='city', value='Lyon', x=50, y=600, width=200, height=20)
f.choice(name='size', value='M', options=['S', 'M', 'L'], x=50, y=550, width=100, height=20)
f.listbox(name='fruit', value='pear', options=['apple', 'pear'], x=50, y=450, width=100, height=60)
c.showPage()
f.textfield(name='notes', value='two', x=50, y=600, width=200, height=20)
f.radio(name='colour', value='blue', selected=False, x=110, y=650)
c.showPage()
c.save()
)PY";

// Prints the fields as qpdf sees them (one entry per field: kind, value and
// the pages of its widgets), and as `sarvane-cli info` does, as two JSON lines.
const char kCompare[] = R"PY(
import json, subprocess, sys
cli, pdf = sys.argv[1], sys.argv[2]
q = json.loads(subprocess.run(['qpdf', '--json=2', '--json-key=acroform', pdf],
                              capture_output=True, check=True).stdout)['acroform']
def kind(f):
    t, fl = f['fieldtype'], f['fieldflags']
    if t == '/Btn':
        return 'button' if fl & 65536 else ('radio' if f['isradiobutton'] else 'checkbox')
    if t == '/Tx': return 'text'
    if t == '/Sig': return 'signature'
    return 'combo' if fl & 131072 else 'list'
def value(v):
    if isinstance(v, str) and v[:2] in ('u:', 'b:'): return v[2:]
    if isinstance(v, str) and v.startswith('/'): return v[1:]
    return '' if v is None else v
theirs = {}
for f in q['fields']:
    e = theirs.setdefault(f['fullname'], {'kind': kind(f), 'value': value(f.get('value')), 'pages': []})
    if f['pageposfrom1'] not in e['pages']: e['pages'].append(f['pageposfrom1'])
ours = json.loads(subprocess.run([cli, 'info', pdf], capture_output=True, check=True).stdout)
mine = {f['name']: {'kind': f['kind'], 'value': f['value'], 'pages': f['pages']} for f in ours['fields']}
for e in theirs.values(): e['pages'].sort()
print(json.dumps(theirs, sort_keys=True))
print(json.dumps(mine, sort_keys=True))
)PY";

class FormsInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveQpdf()) GTEST_SKIP() << "qpdf not installed";
    if (RunCommand(std::string(kPython) + " -c 'import reportlab'").status != 0)
      GTEST_SKIP() << "python3-reportlab not installed";
    std::ofstream(dir_.Dir() + "make.py") << kMakeForm;
    std::ofstream(dir_.Dir() + "compare.py") << kCompare;
    const auto made = RunCommand(std::string(kPython) + " " + Quote(dir_.Dir() + "make.py") + " " + Quote(Path("form.pdf")));
    ASSERT_EQ(made.status, 0) << made.out;
  }
  std::string Path(const std::string& name) const { return dir_.Dir() + name; }
  // qpdf's view and ours, one JSON line each.
  std::pair<std::string, std::string> Views(const std::string& pdf) {
    const auto run = RunCommand(std::string(kPython) + " " + Quote(Path("compare.py")) + " " + Quote(CliPath()) + " " +
                                Quote(pdf), TStderr::Discard);
    EXPECT_EQ(run.status, 0);
    const size_t newline = run.out.find('\n');
    if (newline == std::string::npos) return {run.out, ""};
    return {run.out.substr(0, newline), run.out.substr(newline + 1)};
  }

  TTempFolder dir_{"forms_interop"};
};

TEST_F(FormsInterop, InfoListsTheFieldsQpdfSees) {
  const auto [theirs, ours] = Views(Path("form.pdf"));
  EXPECT_EQ(ours, theirs + "\n");
  EXPECT_NE(ours.find("\"colour\": {\"kind\": \"radio\", \"pages\": [1, 2], \"value\": \"green\"}"), std::string::npos)
      << ours;
}

TEST_F(FormsInterop, DeletedFieldsAreGoneAndTheOthersIntact) {
  const auto before = Views(Path("form.pdf")).first;
  const auto run = RunCommand(Quote(CliPath()) + " rewrite --delete-field colour --delete-field city " +
                              Quote(Path("form.pdf")) + " " + Quote(Path("out.pdf")));
  ASSERT_EQ(run.status, 0) << run.out;
  const auto check = RunCommand("qpdf --check " + Quote(Path("out.pdf")));
  EXPECT_EQ(check.status, 0) << check.out;
  const auto [theirs, ours] = Views(Path("out.pdf"));
  EXPECT_EQ(ours, theirs + "\n");
  // qpdf finds its fields through the widgets on the pages: the deleted ones
  // are on no page; the others keep kind, value and pages.
  std::string expected = before;
  for (const char* gone : {"\"city\": {\"kind\": \"text\", \"pages\": [1], \"value\": \"Lyon\"}, ",
                           "\"colour\": {\"kind\": \"radio\", \"pages\": [1, 2], \"value\": \"green\"}, "}) {
    const size_t at = expected.find(gone);
    ASSERT_NE(at, std::string::npos) << expected;
    expected.erase(at, std::string(gone).size());
  }
  EXPECT_EQ(theirs, expected);
}

TEST_F(FormsInterop, AnUnknownFieldNameWritesNothing) {
  const auto run = RunCommand(Quote(CliPath()) + " rewrite --delete-field city --delete-field Nope " +
                              Quote(Path("form.pdf")) + " " + Quote(Path("out.pdf")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Nope"), std::string::npos) << run.out;
  EXPECT_NE(RunCommand("test -e " + Quote(Path("out.pdf"))).status, 0);
}

}  // namespace
}  // namespace sarvane::interop
