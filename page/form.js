// The settings form, built from the core's field table. Each setting is an
// input (a textarea for the tones) labelled with the dialog's label; the
// core reads and writes it through the dialog's control identifiers, so
// number reading, formats and the tone-list text are the core's own.

// The fields (label, unit, kind) and the boxes they sit in, as the
// dialog's columns group them, are the core's.
export class SettingsForm {
  constructor(core, container, onEdit) {
    this.core = core;
    this.fields = core.fields;
    this.inputs = new Map(); // id -> element
    this.stored = new Map(); // id -> output element
    const byKey = new Map(this.fields.map((f) => [f.key, f]));
    for (const group of core.formGroups) {
      const set = document.createElement("fieldset");
      set.className = `group group-${group.title.toLowerCase().replaceAll(" ", "-")}`;
      const legend = document.createElement("legend");
      legend.textContent = group.title;
      set.append(legend);
      for (const key of group.keys) {
        const field = byKey.get(key);
        if (field) set.append(this.row(field));
      }
      container.append(set);
    }
    container.addEventListener("input", (event) => {
      if (event.target.id === `f-${this.idOf("morseText")}`) {
        // Stored as the dialog's Text field stores it typed.
        const el = event.target;
        const at = el.selectionStart;
        el.value = this.core.morseTyped(el.value);
        el.setSelectionRange(at, at);
      }
      onEdit();
    });
  }

  idOf(key) {
    return this.fields.find((f) => f.key === key)?.id;
  }

  row(field) {
    const row = document.createElement("div");
    row.className = field.kind === "flag" ? "field check" : "field";
    const id = `f-${field.id}`;
    const label = document.createElement("label");
    label.htmlFor = id;
    label.textContent = field.label;
    let input;
    if (field.key === "tones") {
      input = document.createElement("textarea");
      input.rows = 7;
      input.spellcheck = false;
    } else {
      input = document.createElement("input");
      input.type = field.kind === "flag" ? "checkbox" : "text";
      if (field.kind === "integer") input.inputMode = "numeric";
      else if (field.kind === "decimal") input.inputMode = "decimal";
    }
    input.id = id;
    input.dataset.key = field.key;
    const out = document.createElement("output");
    out.className = "stored";
    out.id = `${id}-stored`;
    out.htmlFor = id;
    input.setAttribute("aria-describedby", out.id);
    this.inputs.set(field.id, input);
    this.stored.set(field.id, out);
    if (field.kind === "flag") {
      row.append(input, label, out);
    } else {
      row.append(label, input);
      if (field.unit) {
        const unit = document.createElement("span");
        unit.className = "unit";
        unit.textContent = field.unit;
        row.append(unit);
      }
      row.append(out);
    }
    return row;
  }

  // The page's inputs into the core's controls.
  toCore() {
    for (const [id, input] of this.inputs) {
      if (input.type === "checkbox") this.core.setChecked(id, input.checked);
      else this.core.setText(id, input.value);
    }
  }

  // The core's controls into the page, with the enabling by model.
  fromCore() {
    for (const { id, text, checked, enabled } of this.core.form()) {
      const input = this.inputs.get(id);
      if (!input) continue;
      if (input.type === "checkbox") input.checked = checked;
      else input.value = text;
      input.disabled = !enabled;
    }
  }

  // Next to each field, what the beacon will store where that differs from
  // what the form says (a speed the layout coarsens, a clamped frequency).
  showStoredValues() {
    for (const out of this.stored.values()) out.value = "";
    for (const { id, to } of this.core.storedValues()) {
      const out = this.stored.get(id);
      if (!out) continue;
      const input = this.inputs.get(id);
      out.value = `→ ${input.type === "checkbox" ? this.core.flagText(to) : oneLine(to, input.dataset.key)}`;
    }
  }

  label(id) {
    return this.fields.find((f) => f.id === id)?.label ?? String(id);
  }
}

// A field's text on one line: the tone list's line breaks become blanks,
// and the Morse text is quoted, so that its blanks show.
export function oneLine(text, key) {
  return key === "morseText" ? `"${text}"` : text.replace(/\r?\n/g, " ").trimEnd();
}
