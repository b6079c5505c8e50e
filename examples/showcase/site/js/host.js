// The host functions page. Every call to window.external goes through run(),
// so an error a host function throws lands in the section's status line and
// the page keeps working in a plain browser, where those functions are absent.
"use strict";

const REG_KEY = "Software\\Lumora Showcase";
const NAMES = "names"; // the value that lists every remembered name, comma separated

const byId = (id) => document.getElementById(id);
const hostAvailable = typeof window.external === "object" && window.external !== null &&
                      typeof window.external.appIsRuntime === "function";

function host(name, ...args) {
  if (!hostAvailable) throw new Error("not available outside a Lumora program");
  return window.external[name](...args);
}

// Runs action and shows what it returns, or what it throws, under the section.
function run(statusId, action) {
  const status = byId(statusId);
  try {
    const message = action();
    status.textContent = message ?? "";
    status.classList.remove("error");
  } catch (error) {
    status.textContent = `${error.name || "Error"}: ${error.message}`;
    status.classList.add("error");
  }
}

function on(buttonId, statusId, action) {
  byId(buttonId).addEventListener("click", () => run(statusId, action));
}

// --- A note on disk ---------------------------------------------------------

// The documents folder, or an error when the system has none: the host then
// answers a lone separator, and a note must not land in the root folder.
function docsDir() {
  const docs = host("appDocsDir");
  if (docs === "" || docs === "/" || docs === "\\") {
    throw new Error("This system has no documents folder");
  }
  return docs;
}

function notePlace() {
  const docs = docsDir();
  const sep = docs.includes("\\") ? "\\" : "/";
  const folder = (docs.endsWith(sep) ? docs : docs + sep) + "Lumora Showcase";
  return { folder, file: folder + sep + "note.txt" };
}

function noteState(file) {
  return host("appFileExists", file) === 1 ? `Saved at ${file}` : "No note saved yet.";
}

on("note-save", "note-status", () => {
  const { folder, file } = notePlace();
  if (host("appCreateDir", folder) !== 1) throw new Error(`Cannot create the folder ${folder}`);
  host("appWriteFile", file, byId("note-text").value);
  return noteState(file);
});

on("note-load", "note-status", () => {
  const { file } = notePlace();
  if (host("appFileExists", file) !== 1) return "No note saved yet.";
  const text = host("appReadFile", file) ?? "";
  byId("note-text").value = text.replace(/^\uFEFF/, "").replace(/\r\n/g, "\n");
  return `Loaded from ${file}`;
});

on("note-delete", "note-status", () => {
  const { file } = notePlace();
  if (host("appFileExists", file) !== 1) return "No note saved yet.";
  return host("appRemoveFile", file) === 1 ? "Note deleted." : `Could not delete ${file}`;
});

// --- Settings store ---------------------------------------------------------

function rememberedNames() {
  const list = host("appReadReg", REG_KEY, NAMES) ?? "";
  return list.split(",").filter((name) => name !== "");
}

function saveNames(names) {
  if (host("appWriteReg", REG_KEY, NAMES, names.join(",")) !== 1) {
    throw new Error("Could not update the list of names");
  }
}

// Names in the store ignore letter case, so the list does too.
const sameName = (a, b) => a.toUpperCase() === b.toUpperCase();

function showRemembered() {
  const list = byId("reg-list");
  list.replaceChildren();
  for (const name of rememberedNames()) {
    const item = document.createElement("li");
    item.textContent = `${name} = ${host("appReadReg", REG_KEY, name) ?? ""}`;
    list.append(item);
  }
  if (!list.children.length) {
    const item = document.createElement("li");
    item.textContent = "Nothing remembered yet.";
    list.append(item);
  }
}

function entryName() {
  const name = byId("reg-name").value.trim();
  if (name === "") throw new Error("Give a name");
  if (name.includes(",") || sameName(name, NAMES)) {
    throw new Error(`"${name}" cannot be used: the list of names is kept under "${NAMES}"`);
  }
  return name;
}

on("reg-write", "reg-status", () => {
  const name = entryName();
  if (host("appWriteReg", REG_KEY, name, byId("reg-value").value) !== 1) {
    throw new Error(`Could not write ${name}`);
  }
  const names = rememberedNames();
  if (!names.some((known) => sameName(known, name))) saveNames([...names, name]);
  showRemembered();
  return `Remembered ${name}.`;
});

on("reg-read", "reg-status", () => {
  const name = entryName();
  byId("reg-value").value = host("appReadReg", REG_KEY, name) ?? "";
  return `Read ${name}.`;
});

on("reg-remove", "reg-status", () => {
  const name = entryName();
  const removed = host("appRemoveReg", REG_KEY, name) === 1;
  const names = rememberedNames();
  const kept = names.filter((known) => !sameName(known, name));
  if (kept.length !== names.length) saveNames(kept);
  showRemembered();
  return removed ? `Forgot ${name}.` : `${name} was not remembered.`;
});

// --- Sound and opening files --------------------------------------------------
// These functions answer nothing: the page can only say what it asked for.

const BEEP = "media/beep.wav";
on("wav-once", "wav-status", () => { host("appPlayWav", BEEP, false); return `Asked to play ${BEEP} once.`; });
on("wav-loop", "wav-status", () => { host("appPlayWav", BEEP, true); return `Asked to play ${BEEP} in a loop.`; });
on("wav-stop", "wav-status", () => { host("appStopWav"); return "Asked to stop the sound."; });

on("open-readme", "open-status", () => {
  host("appOpenFile", "files/readme.txt");
  return "Asked the desktop to open files/readme.txt.";
});
on("open-docs", "open-status", () => {
  const docs = docsDir();
  host("appOpenFile", docs);
  return `Asked the desktop to open ${docs}`;
});

// --- System facts -------------------------------------------------------------

function showFacts() {
  const facts = byId("facts");
  facts.replaceChildren();
  const add = (label, read) => {
    const term = document.createElement("dt");
    const value = document.createElement("dd");
    term.textContent = label;
    try {
      value.textContent = String(read());
    } catch (error) {
      value.textContent = `${error.name || "Error"}: ${error.message}`;
      value.classList.add("status", "error");
    }
    facts.append(term, value);
  };
  add("Computer", () => host("appComputerName"));
  add("User", () => host("appUserName"));
  add("Documents", () => host("appDocsDir"));
  add("Packed program", () => (host("appIsRuntime") === 1 ? "yes" : "no (preview)"));
  let count = 0;
  add("Arguments", () => (count = Number(host("appParamCount")) || 0));
  for (let i = 0; i <= count; i++) add(`Argument ${i}`, () => host("appParamStr", i));
}

on("facts-refresh", "facts-status", () => { showFacts(); return ""; });

// --- Start --------------------------------------------------------------------

byId("reg-key").value = REG_KEY;
byId("no-host").hidden = hostAvailable;
if (hostAvailable) {
  run("facts-status", () => { showFacts(); return ""; });
  run("reg-status", () => { showRemembered(); return ""; });
  run("note-status", () => noteState(notePlace().file));
}
