// The "Files" panel: the form saved to and loaded from a configuration
// file, and exported to and imported from JSON in the command line's record
// format (what its --json prints and its --config takes).
import { download, chooseFile } from "./files.js";
import { jsonInputProblem } from "./input-limits.js";

const $ = (id) => document.getElementById(id);

export class FilesPanel {
  constructor(core, form, view) {
    const files = core.fileNames;
    const { showForm } = core.events;
    // The file choosers, from the core.
    for (const id of ["load-file", "plan-base-file"]) $(id).accept = files.configExtension;

    $("save").addEventListener("click", () => {
      form.toCore();
      view.handle(core.save());
      const bytes = core.savedFile();
      if (bytes.length) download(bytes, files.save);
    });

    $("load").addEventListener("click", async () => {
      const bytes = await chooseFile($("load-file"));
      if (bytes === null) return;
      view.handle(core.load(bytes));
    });

    $("export-json").addEventListener("click", () => {
      form.toCore();
      download(new TextEncoder().encode(core.exportJson()), files.json, "application/json");
      view.handle(showForm);
    });

    $("import-json").addEventListener("click", async () => {
      const bytes = await chooseFile($("import-file"));
      if (bytes === null) return;
      form.toCore();
      // Sized and nested as the core can take, before it parses anything.
      const problem = jsonInputProblem(bytes);
      const refused = problem ? `the file ${problem}` : core.importJson(bytes);
      $("json-note").textContent = refused ? `Not imported: ${refused}` : "";
      view.handle(showForm);
    });
  }
}
