# Writes a CherryTree document (SQLite) of the same shape as MakeSampleLibrary --nodes N:
# 10 folder nodes, 10 in each, the leaves below with "Some text." For the export comparison.
import sqlite3, sys
path = sys.argv[1]
db = sqlite3.connect(path)
c = db.cursor()
c.executescript("""
CREATE TABLE node (node_id INTEGER UNIQUE, name TEXT, txt TEXT, syntax TEXT, tags TEXT, is_ro INTEGER, is_richtxt INTEGER, has_codebox INTEGER, has_table INTEGER, has_image INTEGER, level INTEGER, ts_creation INTEGER, ts_lastsave INTEGER);
CREATE TABLE codebox (node_id INTEGER, offset INTEGER, justification TEXT, txt TEXT, syntax TEXT, width INTEGER, height INTEGER, is_width_pix INTEGER, do_highl_bra INTEGER, do_show_linenum INTEGER);
CREATE TABLE grid (node_id INTEGER, offset INTEGER, justification TEXT, txt TEXT, col_min INTEGER, col_max INTEGER);
CREATE TABLE image (node_id INTEGER, offset INTEGER, justification TEXT, anchor TEXT, png BLOB, filename TEXT, link TEXT, time INTEGER);
CREATE TABLE children (node_id INTEGER UNIQUE, father_id INTEGER, sequence INTEGER, master_id INTEGER);
CREATE TABLE bookmark (node_id INTEGER UNIQUE, sequence INTEGER);
""")
nid = 0
def add(name, father, seq, text):
    global nid
    nid += 1
    txt = '<?xml version="1.0" encoding="UTF-8"?><node><rich_text>%s</rich_text></node>' % text
    c.execute("INSERT INTO node VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)", (nid, name, txt, "custom-colors", "", 0, 1, 0, 0, 0, 0, 0, 0))
    c.execute("INSERT INTO children VALUES (?,?,?,?)", (nid, father, seq, 0))
    return nid
total = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
leaves = total - 110
k = 0
for t in range(10):
    a = add("Topic %d" % t, 0, t + 1, "")
    for m in range(10):
        b = add("Section %d.%d" % (t, m), a, m + 1, "")
        here = leaves // 100 + (1 if t * 10 + m < leaves % 100 else 0)
        for l in range(here):
            k += 1
            add("Note %d" % k, b, l + 1, "Some text.")
db.commit()
print(nid, "nodes")
