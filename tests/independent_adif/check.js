// Reads an ADI file written by `kvadrix-tool export` of QSO.dat beside this script with
// adif-parser-ts and checks that every field of every QSO comes back.
"use strict";
const fs = require("fs");
const assert = require("assert");
const { AdifParser } = require("adif-parser-ts");

const adif = AdifParser.parseAdi(fs.readFileSync(process.argv[2], "utf8"));

assert.strictEqual(adif.header.adif_ver, "3.1.4");
assert.strictEqual(adif.header.programid, "Kvadrix");
assert.match(adif.header.programversion, /^\d+\.\d+/);
assert.match(adif.header.created_timestamp, /^\d{8} \d{6}$/);

const expected = [
  {
    call: "LY2AA", qso_date: "20090512", time_on: "1230", time_off: "1245", band: "20m",
    mode: "SSB", submode: "USB", name: "Jonas Šimkus", qth: "Kaunas", gridsquare: "KO24PQ",
    my_gridsquare: "KO24AB", comment: "TNX Čiurlionis <73>", sig: "BEX", sig_info: "K26",
    my_sig: "BEX", my_sig_info: "O19",
  },
  {
    call: "LY3BB", qso_date: "20261224", time_on: "0930", time_off: "1005", band: "70cm",
    mode: "MFSK", submode: "FT4", name: "Ąžuolas", qth: "Šiauliai", comment: "ąčęėįšųūž",
    // The fields as the log holds them, where ADIF's forms differ, for Kvadrix's import.
    app_kvadrix_date: "24.12.2026", app_kvadrix_sutc: "9:30", app_kvadrix_eutc: "1005",
  },
  // No date: the record has no QSO_DATE; "?" is no square, so no SIG either.
  { call: "LY4CC", time_on: "0000", band: "2m", mode: "DIGITAL", app_kvadrix_bex: "?" },
  {
    call: "LY5DD/P", qso_date: "20260131", time_on: "2359", band: "40m", mode: "CW",
    qth: "Vilnius, LT", gridsquare: "KO24PQ", sig: "BEX", sig_info: "K26",
    app_kvadrix_date: "2026/01/31", app_kvadrix_band: "40m", app_kvadrix_mode: "cw",
  },
];
assert.deepStrictEqual(adif.records, expected);
console.log(`adif-parser-ts read ${adif.records.length} QSOs with every field`);
