// The designer's layout as its C++ headers give it, so that the browser tests
// click where the desktop tests click: the panel's constants and buttons
// (designer/panel_layout.h) and where runtime point (0, 0) lies in the
// client area (tests/support/client_origin.h).
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const SOURCE = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');

// The value of an integer expression of numbers, known names, + - * / and
// brackets, with C++'s integer division.
function evaluate(expression, names) {
  const tokens = expression.match(/\d+|[A-Za-z_]\w*|[-+*/()]/g) || [];
  if (tokens.join('') !== expression.replace(/\s+/g, ''))
    throw new Error(`cannot read the expression ${expression}`);
  let at = 0;
  const primary = () => {
    const token = tokens[at++];
    if (token === '(') {
      const value = sum();
      if (tokens[at++] !== ')') throw new Error(`unbalanced brackets in ${expression}`);
      return value;
    }
    if (token === '-') return -primary();
    if (/^\d+$/.test(token)) return Number(token);
    if (token in names) return names[token];
    throw new Error(`unknown name ${token} in ${expression}`);
  };
  const product = () => {
    let value = primary();
    while (tokens[at] === '*' || tokens[at] === '/') {
      const operator = tokens[at++];
      const operand = primary();
      value = operator === '*' ? value * operand : Math.trunc(value / operand);
    }
    return value;
  };
  const sum = () => {
    let value = product();
    while (tokens[at] === '+' || tokens[at] === '-')
      value = tokens[at++] === '+' ? value + product() : value - product();
    return value;
  };
  const value = sum();
  if (at !== tokens.length) throw new Error(`cannot read the expression ${expression}`);
  return value;
}

// Every "constexpr int NAME = EXPRESSION;" of the header and every NAME =
// NUMBER of its enums, in order; functions of one int argument that return
// an expression become functions.
function readHeader(relative, names) {
  const text = fs.readFileSync(path.join(SOURCE, relative), 'utf8').replace(/\/\/.*$/gm, '');
  for (const m of text.matchAll(/constexpr\s+int\s+(\w+)\s*=\s*([^;]+);/g))
    names[m[1]] = evaluate(m[2], names);
  for (const body of text.matchAll(/enum\s+\w+\s*(?::\s*\w+\s*)?\{([^}]*)\}/g)) {
    for (const m of body[1].matchAll(/(\w+)\s*=\s*(\d+)/g)) names[m[1]] = Number(m[2]);
  }
  for (const m of text.matchAll(/constexpr\s+int\s+(\w+)\(int\s+(\w+)\)\s*\{\s*return\s+([^;]+);\s*\}/g)) {
    const [, name, argument, expression] = m;
    names[name] = value => evaluate(expression, {...names, [argument]: value});
  }
  return names;
}

export const layout = readHeader('designer/panel_layout.h', readHeader('tests/support/client_origin.h', {}));

// The point in the middle of panel button `index`, where a click presses it.
export function button(index) {
  return [layout.BUTTON_X, layout.button_y(index)];
}
