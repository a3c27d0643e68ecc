// The tone sequence as a small chart beside its text box: one bar a step,
// its height the tone number, drawn from the very text the form shows (the
// numbers in it, in order), and redrawn as the list is edited.
const Svg = "http://www.w3.org/2000/svg";

export class ToneChart {
  constructor(core, form, figure) {
    this.input = form.inputs.get(form.idOf("tones"));
    this.figure = figure;
    this.svg = figure?.querySelector("svg");
    if (!this.input || !this.svg) return;
    // Beside the text box, in the same field.
    this.input.closest(".field")?.append(figure);
    figure.hidden = false;
  }

  tones() {
    return (this.input.value.match(/\d+/g) ?? []).map(Number);
  }

  draw() {
    if (!this.svg) return;
    const tones = this.tones();
    const width = 320;
    const height = 120;
    const top = Math.max(1, ...tones);
    const step = tones.length ? width / tones.length : width;
    const shapes = [];
    // A line at every tenth tone number, for reading heights.
    for (let t = 10; t <= top; t += 10) {
      const y = height - (t / top) * (height - 4);
      shapes.push(this.shape("line", { x1: 0, x2: width, y1: y, y2: y, class: "grid" }));
    }
    tones.forEach((t, i) => {
      const h = (t / top) * (height - 4);
      shapes.push(this.shape("rect", { x: i * step + step * 0.1, y: height - h, width: step * 0.8, height: h }));
    });
    this.svg.setAttribute("viewBox", `0 0 ${width} ${height}`);
    this.svg.replaceChildren(...shapes);
    this.figure.dataset.tones = tones.join(" ");
    this.svg.setAttribute(
      "aria-label",
      tones.length
        ? `Tone sequence: ${tones.length} steps, tone numbers ${Math.min(...tones)} to ${Math.max(...tones)}`
        : "Tone sequence: no steps",
    );
    this.figure.querySelector("figcaption").textContent = tones.length
      ? `${tones.length} steps, tones ${Math.min(...tones)}–${Math.max(...tones)}`
      : "No tones";
  }

  shape(name, attributes) {
    const element = document.createElementNS(Svg, name);
    for (const [key, value] of Object.entries(attributes)) element.setAttribute(key, String(value));
    return element;
  }
}
